#include "editor/ResultsPanel.h"

#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

TResultsPanel::TResultsPanel(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("ResultsPanel");
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    // The panel's own colour around the text, as the empty panel looked.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    setPalette(colours);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { CursorMoved(); });
}

// The title, when there is one, is the first block; the lines follow it.
void TResultsPanel::CursorMoved() {
    if (showing_) return;
    const int index = textCursor().blockNumber() - (title_.isEmpty() ? 0 : 1);
    if (index >= 0 && index < lines_.size()) emit LineChosen(index);
}

void TResultsPanel::ChooseLine(int index) {
    QTextCursor cursor(document()->findBlockByNumber(index + (title_.isEmpty() ? 0 : 1)));
    setTextCursor(cursor);
}

void TResultsPanel::SetResult(const QString& title, const QStringList& lines) {
    title_ = title;
    lines_ = lines;
    ShowAll();
}

void TResultsPanel::SetResult(const TResultText& result) {
    QStringList lines;
    for (const std::string& line : result.Lines) lines << QString::fromStdString(line);
    SetResult(QString::fromStdString(result.Title), lines);
}

void TResultsPanel::SetGraphLine(const QString& line) {
    if (line == graphLine_) return;  // a drag sends one at every step
    graphLine_ = line;
    ShowAll();
}

void TResultsPanel::ShowAll() {
    showing_ = true;
    const auto shown = qScopeGuard([this] { showing_ = false; });
    clear();
    QTextCursor cursor(document());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    if (!title_.isEmpty()) {
        cursor.insertText(title_, bold);
        cursor.insertBlock();
    }
    for (const QString& line : lines_) {
        cursor.insertText(line, QTextCharFormat());
        cursor.insertBlock();
    }
    if (!title_.isEmpty() || !lines_.isEmpty()) cursor.insertBlock();
    cursor.insertText(graphLine_, QTextCharFormat());
}
