// The window's results panel: what the user asked for last, and a line about the graph.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include "editor/ResultText.h"

/// A read-only text view: the result's title in bold and its lines, then, after a blank
/// line, the line about the graph.
class TResultsPanel : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TResultsPanel(QWidget* parent = nullptr);

    /// Replaces the result shown.
    void SetResult(const QString& title, const QStringList& lines);
    void SetResult(const TResultText& result);
    /// Replaces the line about the graph; showing the same line again costs nothing.
    void SetGraphLine(const QString& line);

    const QString& Title() const { return title_; }
    const QStringList& Lines() const { return lines_; }
    const QString& GraphLine() const { return graphLine_; }

    /// Puts the text cursor on line index of Lines, as a click on it does.
    /// REQUIRES: 0 <= index < Lines().size().
    void ChooseLine(int index);

signals:
    /// The user put the text cursor on line index of Lines (a click, the arrow keys).
    void LineChosen(int index);

private:
    void ShowAll();
    void CursorMoved();

    QString title_;
    QStringList lines_;
    QString graphLine_;
    bool showing_ = false;  // the text is being replaced: the cursor moves by itself
};
