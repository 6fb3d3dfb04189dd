#include "JournalWords.h"

#include "lang/Texts.h"

namespace JournalWords {

namespace {

struct Word
{
    const char *keyword;
    const char *textId;
};

constexpr Word Media[] = {{"directory", "Extra.JournalMediumDirectory"},
                          {"ftp", "Extra.JournalMediumFtp"},
                          {"serial", "Extra.JournalMediumSerial"}};
constexpr Word Directions[] = {{"send", "Extra.JournalDirectionSend"}, {"receive", "Extra.JournalDirectionReceive"}};
constexpr Word Outcomes[] = {{"done", "Extra.JournalOutcomeDone"},
                             {"verified", "Extra.JournalOutcomeVerified"},
                             {"verification failed", "Extra.JournalOutcomeVerificationFailed"},
                             {"cancelled", "Extra.JournalOutcomeCancelled"},
                             {"failed", "Extra.JournalOutcomeFailed"}};

template <typename Enum, size_t N>
std::optional<Enum> fromKeyword(const Word (&words)[N], const QString &word)
{
    for (size_t i = 0; i < N; ++i)
        if (word == QLatin1String(words[i].keyword))
            return Enum(i);
    return std::nullopt;
}

} // namespace

QString keyword(JournalEntry::Medium medium) { return QLatin1String(Media[int(medium)].keyword); }
QString keyword(JournalEntry::Direction direction) { return QLatin1String(Directions[int(direction)].keyword); }
QString keyword(JournalEntry::Outcome outcome) { return QLatin1String(Outcomes[int(outcome)].keyword); }

std::optional<JournalEntry::Medium> mediumFromKeyword(const QString &word)
{
    return fromKeyword<JournalEntry::Medium>(Media, word);
}
std::optional<JournalEntry::Direction> directionFromKeyword(const QString &word)
{
    return fromKeyword<JournalEntry::Direction>(Directions, word);
}
std::optional<JournalEntry::Outcome> outcomeFromKeyword(const QString &word)
{
    return fromKeyword<JournalEntry::Outcome>(Outcomes, word);
}

QString text(JournalEntry::Medium medium) { return Texts::extraOrEnglish(QLatin1String(Media[int(medium)].textId)); }
QString text(JournalEntry::Direction direction)
{
    return Texts::extraOrEnglish(QLatin1String(Directions[int(direction)].textId));
}
QString text(JournalEntry::Outcome outcome)
{
    return Texts::extraOrEnglish(QLatin1String(Outcomes[int(outcome)].textId));
}

QString noticeText(const QString &storedNotice)
{
    if (storedNotice == QLatin1String(NoEndOfProgramKeyword))
        return Texts::extraOrEnglish(QStringLiteral("Extra.JournalNoEndOfProgram"));
    return storedNotice;
}

} // namespace JournalWords
