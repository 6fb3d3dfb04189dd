#pragma once

#include "app/AppState.h"

#include <Qsci/qscilexercustom.h>

#include <utility>
#include <vector>

// The G-code colouring of one editor: every line is split by the G-code scanner
// and each token drawn in the style of its kind (style number = token kind).
// The colours are copied from the 22 settings when it is made; new colours take
// effect through a new highlighter. The editor's control asks it to style only
// the lines it shows.
class HighlighterZVRD : public QsciLexerCustom
{
    Q_OBJECT

public:
    HighlighterZVRD(const GCodeColours &colours, QObject *parent = nullptr);

    const char *language() const override;
    QString description(int style) const override;
    void styleText(int start, int end) override;
    // Colours the lines in view that were passed over; the editor calls it
    // before it paints.
    void stylePassedLinesInView();

    // The font of every style (bold and italic where a style has them).
    void setEditorFont(const QFont &font);
    // The editor's own text and background colours, used where a style has none.
    void setEditorColours(const QColor &text, const QColor &background);

    const GCodeColours &colours() const { return m_colours; }

private:
    void applyColours();
    void styleLines(long line, long lastLine);
    // Forgets the passed lines from the first one the control holds as not
    // styled: a change there moved the lines after it.
    void forgetPassedFrom(long line);

    GCodeColours m_colours;
    QColor m_text;
    QColor m_background;
    QByteArray m_styles; // reused buffer of style bytes
    // Lines passed over, as ranges [first, end), in order; all before the
    // line of the control's first unstyled position.
    std::vector<std::pair<long, long>> m_passed;
};

// Windows colour value (0x00BBGGRR) to a colour and back.
QColor colourFromValue(int value);
int valueFromColour(const QColor &colour);
