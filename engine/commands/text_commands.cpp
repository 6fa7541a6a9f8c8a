// Text commands: the text style (size, face, style letters, ink, paper, link colours), the
// word-wrapped text box "print" and the text buffer.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/params.h"
#include "engine/text_renderer.h"
#include "engine/text_values.h"

#include <algorithm>
#include <cstdint>

namespace ludomat {

namespace {

// Converts first, so a colour text that is not hexadecimal ends the run without being kept.
Rgb colourOf(std::string_view text) { return bgrToRgb(uint32_t(toColour(text))); }

struct StyleFlags {
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// "BIU": an upper-case letter in its place switches that style on; anything else off.
StyleFlags styleFromLetters(std::string_view letters)
{
    auto at = [&](size_t i, char on) { return letters.size() > i && letters[i] == on; };
    return {at(0, 'B'), at(1, 'I'), at(2, 'U')};
}

// Both canvases text is written on.
template <typename Change>
void onBothCanvases(Engine& engine, Change change)
{
    change(engine.screen().telaCanvas);
    change(engine.screen().screenCanvas);
}

void setTextSize(Engine& engine)
{
    TextSettings& text = engine.textSettings();
    text.textSize = numberParam(engine.state(), 1, "10", 10);
    int size = scaledLength(text.textSize, engine.state().scaleFactor);
    onBothCanvases(engine, [size](Canvas& c) { c.setFontSize(size); });
}

void setFontFace(Engine& engine)
{
    TextSettings& text = engine.textSettings();
    text.fontFace = valueParam(engine.state(), 1, kStartFontFace);
    onBothCanvases(engine, [&text](Canvas& c) { c.setFontFace(text.fontFace); });
}

void setFontStyle(Engine& engine)
{
    TextSettings& text = engine.textSettings();
    StyleFlags style = styleFromLetters(valueParam(engine.state(), 1, "biu"));
    text.textBold = style.bold;
    text.textItalic = style.italic;
    text.textUnderline = style.underline;
    onBothCanvases(engine, [style](Canvas& c) { c.setFontStyle(style.bold, style.italic, style.underline); });
}

void setInkColour(Engine& engine)
{
    std::string_view colour = valueParam(engine.state(), 1, "FFFFFF");
    Rgb ink = colourOf(colour);
    engine.textSettings().inkColour = colour;
    onBothCanvases(engine, [ink](Canvas& c) { c.setFontColour(ink); });
}

void setPaperColour(Engine& engine)
{
    std::string_view colour = valueParam(engine.state(), 1, "000000");
    Rgb paper = colourOf(colour);
    engine.textSettings().paperColour = colour;
    onBothCanvases(engine, [paper](Canvas& c) { c.setBrushColour(paper); });
}

void setLinkColour(Engine& engine)
{
    std::string_view colour = valueParam(engine.state(), 1, "FFFFFF");
    colourOf(colour);
    engine.textSettings().linkColour = colour;
}

void setLinkLineColour(Engine& engine)
{
    std::string_view colour = valueParam(engine.state(), 1, "FFFFFF");
    colourOf(colour);
    engine.textSettings().linkLineColour = colour;
}

// "fonte=": face, size, ink, bold, italic, underline. The canvases are not touched; the next
// text box uses the new style.
void setFont(Engine& engine)
{
    const EngineState& state = engine.state();
    TextSettings& text = engine.textSettings();
    std::string face(valueParam(state, 1));
    std::string size(valueParam(state, 2));
    std::string ink(valueParam(state, 3));
    // Both checks come before any change, so a bad line leaves the style as it was.
    int32_t points = size.empty() ? text.textSize : toIntStrict(size);
    if (!ink.empty()) colourOf(ink);
    if (!face.empty()) text.fontFace = face;
    text.textSize = points;
    if (!ink.empty()) text.inkColour = ink;
    text.textBold = !valueParam(state, 4).empty();
    text.textItalic = !valueParam(state, 5).empty();
    text.textUnderline = !valueParam(state, 6).empty();
}

// The box's own ink, style letters and paper win over the text settings when given.
TextBoxStyle boxStyle(const EngineState& state, const TextSettings& text)
{
    TextBoxStyle style;
    std::string_view ink = valueParam(state, 6);
    style.ink = ink.empty() ? text.ink() : colourOf(ink);
    std::string_view letters = valueParam(state, 7);
    StyleFlags flags = letters.empty() ? StyleFlags{text.textBold, text.textItalic, text.textUnderline}
                                       : styleFromLetters(letters);
    style.bold = flags.bold;
    style.italic = flags.italic;
    style.underline = flags.underline;
    std::string_view paper = valueParam(state, 8);
    if (!paper.empty()) style.paper = colourOf(paper);
    return style;
}

// From `start` to the edge of a screen side `side` long, in script units.
int32_t restOf(int side, int32_t start)
{
    return int32_t(std::clamp<long long>((long long)side - start, INT32_MIN, INT32_MAX));
}

// The box in screen pixels. Without a width or height it reaches the right or bottom edge of
// the screen: the rest of the script screen, scaled like any size, so the box never runs past
// the screen in the full-screen mode.
TextBoxRect boxRect(const EngineState& state, const TextSettings& text)
{
    double s = state.scaleFactor;
    int32_t x = numberParam(state, 2, "0", 0);
    int32_t y = numberParam(state, 3, "0", 0);
    TextBoxRect box;
    box.x = scaledLength(x, s);
    box.y = scaledLength(y, s);
    box.width = scaledLength(numberParam(state, 4, "", restOf(kBaseWidth, x)), s);
    box.height = scaledLength(numberParam(state, 5, "", restOf(kBaseHeight, y)), s);
    box.size = scaledLength(numberParam(state, 9, "", text.textSize), s);
    return box;
}

void printText(Engine& engine)
{
    const EngineState& state = engine.state();
    const TextSettings& text = engine.textSettings();
    std::string words = unescapeText(valueParam(state, 1));
    TextBoxRect box = boxRect(state, text);
    TextBoxStyle style = boxStyle(state, text);
    engine.textBox() = box;
    if (trimBlanks(words) == "$") words = engine.textBuffer();
    if (words.size() >= kLargeText) engine.noteSlowWork();

    // A text box leaves the buffer's drawing state as it found it.
    Canvas& canvas = engine.screen().screenCanvas;
    Font font = canvas.font();
    Rgb brush = canvas.brushColour();
    BrushStyle brushStyle = canvas.brushStyle();
    Rgb pen = canvas.penColour();
    int penWidth = canvas.penWidth();
    PenPoint penPos = canvas.penPos();
    TextRenderer(canvas, text, engine.hotspots(), state.scaleFactor).render(words, box, style);
    canvas.setFont(font);
    canvas.setBrushColour(brush);
    canvas.setBrushStyle(brushStyle);
    canvas.setPenColour(pen);
    canvas.setPenWidth(penWidth);
    canvas.moveTo(penPos.x(), penPos.y());
}

void clearTextBuffer(Engine& engine) { engine.textBuffer().clear(); }

const CommandInfo kCommands[] = {
    {"fntsize=", "tamanho=10", "Muda o tamanho do texto (pontos).", setTextSize,
     "clearbuf 000000\nfntsize= 30\nprint Grande,10,10,400,60\nrefresh"},
    {"fntface=", "fonte=Courier New", "Muda a fonte do texto.", setFontFace,
     "clearbuf 000000\nfntface= Arial\nprint Arial,10,10,300,40\nrefresh"},
    {"fntsty=", "estilo=biu", "Estilo do texto: B negrito, I itálico, U sublinhado (minúscula desliga).",
     setFontStyle,
     "clearbuf 000000\nfntsty= BI\nprint Negrito,10,10,300,40\nrefresh"},
    {"cortxt=", "cor=FFFFFF", "Muda a cor do texto (tinta).", setInkColour,
     "clearbuf 000000\ncortxt= FFFF00\nprint Amarelo,10,10,300,40\nrefresh"},
    {"corfnd=", "cor=000000", "Muda a cor do papel (fundo).", setPaperColour,
     "corfnd= 004080\nclearbuf\nprint Azul,10,10,300,40\nrefresh"},
    {"corlnk=", "cor=FFFFFF", "Muda a cor das palavras com link.", setLinkColour,
     "clearbuf 000000\ncorlnk= 00FF00\nprint @clique|:fim|,10,10,300,40\nrefresh"},
    {"corvzk=", "cor=FFFFFF", "Muda a cor do traço sob as palavras com link.", setLinkLineColour,
     "clearbuf 000000\ncorvzk= FF0000\nprint @clique|:fim|,10,10,300,40\nrefresh"},
    {"fonte= font=", "fonte, tamanho, cor, negrito, itálico, sublinhado",
     "Muda o estilo do texto de uma vez (estilos: qualquer texto liga, vazio desliga).", setFont,
     "clearbuf 000000\nfonte= Arial,24,00FFFF,1\nprint Fonte,10,10,300,50\nrefresh"},
    {"print printx btxt= boxtexto=", "texto, x=0, y=0, l, a, cor, estilo, papel, tamanho",
     "Escreve um texto com quebra de linha numa caixa; § quebra a linha, @palavra|destino| é um link.",
     printText,
     "clearbuf 000000\nprint Oi~mundo!,20,20,300,40,FFFFFF\nrefresh"},
    {"cleartxt clear$", "", "Esvazia o texto guardado que print $ escreve.", clearTextBuffer,
     "cleartxt"},
};

}  // namespace

std::span<const CommandInfo> textCommands() { return kCommands; }

}  // namespace ludomat
