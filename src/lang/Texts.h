#pragma once

#include <QString>
#include <QStringList>

// The interface texts. Every caption and message comes from a text key whose
// current text is the one the last language procedure assigned; a language that
// has no text for a key leaves the key as it was. Keys start empty.
namespace Texts {

// The five languages in catalog column order.
enum Language { EN = 0, PTBR = 1, ES = 2, FR = 3, DE = 4 };

// The current text of a key (empty for an unknown key or before any language ran).
QString text(const QString &key);
inline QString text(const char *key) { return text(QLatin1String(key)); }

// The language procedures: each assigns its language's texts, nothing else.
void FUNC_Textos_PTBR();
void FUNC_Textos_EN();
void FUNC_Textos_ES();
void FUNC_Textos_FR();
void FUNC_Textos_DE();

// Runs the procedure whose code equals `code` exactly ("PT-BR", "EN", "ES", "FR",
// "DE"); returns false, changing nothing, for any other code.
bool runLanguageProcedure(const QString &code);

// Every key of the catalog, in catalog order.
QStringList allKeys();
// The windows whose controls the apply procedure fills, in the order it visits
// them (object names).
QStringList applyWindowOrder();
// The keys that the apply procedure copies into controls, in catalog order: every
// key of those windows that does not name a message ("MSG" and two digits). The
// find and replace dialogs are built anew each time and copy their keys when they
// are created, so their keys are not among these.
QStringList controlKeys();
// Whether a language has a text for a key (a dash in the catalog means it has none).
bool hasText(const QString &key, Language language);
// The catalog text of a key in a language, regardless of the current language.
QString catalogText(const QString &key, Language language);

// Texts of Zavrin's own beyond the catalog (messages of the platform stand-ins).
// They follow the same languages and are kept in a separate table.
QString extra(const QString &id);
inline QString extra(const char *id) { return extra(QLatin1String(id)); }
QStringList allExtraIds();
// The extra text in the current language or, before any language ran, in English:
// for messages that can come before the language is applied (opening the database).
QString extraOrEnglish(const QString &id);

// Forget every assigned text (tests start from a fresh process state).
void clearAll();

} // namespace Texts

// Short form for building captions and messages.
inline QString T(const char *key) { return Texts::text(key); }
