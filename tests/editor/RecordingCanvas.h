// A canvas that keeps what is drawn, with the pen and brush in effect, for tests.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "editor/Canvas.h"

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    friend bool operator==(const TPen&, const TPen&) = default;
};

struct TRecordedLine {
    int X1, Y1, X2, Y2;
    TPen Pen;
    friend bool operator==(const TRecordedLine&, const TRecordedLine&) = default;
};

struct TRecordedEllipse {
    int X1, Y1, X2, Y2;
    TColor Brush;
    TPen Pen;
    friend bool operator==(const TRecordedEllipse&, const TRecordedEllipse&) = default;
};

struct TRecordedCurve {
    int X0, Y0, X1, Y1, X2, Y2, X3, Y3;
    TPen Pen;
    friend bool operator==(const TRecordedCurve&, const TRecordedCurve&) = default;
};

struct TRecordedText {
    int X, Y;
    std::string Text;
    TColor Color;
    friend bool operator==(const TRecordedText&, const TRecordedText&) = default;
};

class TRecordingCanvas : public TCanvas {
public:
    void SetPenColor(TColor color) override {
        Pen.Color = color;
        Log("pen " + Rgb(color));
    }
    void SetPenWidth(int width) override {
        if (width >= 0) Pen.Width = width;
        Log("width " + std::to_string(width));
    }
    void SetBrush(TColor color) override {
        brush_ = color;
        Log("brush " + Rgb(color));
    }
    void Ellipse(int x1, int y1, int x2, int y2) override {
        Ellipses.push_back({x1, y1, x2, y2, brush_, Pen});
        Log("ellipse " + Xy(x1, y1) + ' ' + Xy(x2, y2));
    }
    void MoveTo(int x, int y) override {
        x_ = x;
        y_ = y;
        Log("move " + Xy(x, y));
    }
    void LineTo(int x, int y) override {
        Lines.push_back({x_, y_, x, y, Pen});
        x_ = x;
        y_ = y;
        Log("line " + Xy(x, y));
    }
    void CurveTo(int x1, int y1, int x2, int y2, int x, int y) override {
        Curves.push_back({x_, y_, x1, y1, x2, y2, x, y, Pen});
        x_ = x;
        y_ = y;
        Log("curve " + Xy(x1, y1) + ' ' + Xy(x2, y2) + ' ' + Xy(x, y));
    }
    void TextOut(int x, int y, std::string_view text) override {
        Texts.push_back({x, y, std::string(text), Pen.Color});
        Log("text " + Xy(x, y) + ' ' + std::string(text));
    }

    TPen Pen;
    std::vector<TRecordedLine> Lines;
    std::vector<TRecordedEllipse> Ellipses;
    std::vector<TRecordedCurve> Curves;
    std::vector<TRecordedText> Texts;
    /// Every call in order, one line each.
    std::string Calls;

private:
    static std::string Rgb(TColor c) {
        return std::to_string(c.Red) + ',' + std::to_string(c.Green) + ',' + std::to_string(c.Blue);
    }
    static std::string Xy(int x, int y) { return std::to_string(x) + ',' + std::to_string(y); }
    void Log(const std::string& call) { Calls += call + '\n'; }

    TColor brush_ = clWhite;
    int x_ = 0;
    int y_ = 0;
};

inline std::ostream& operator<<(std::ostream& out, const TRecordedLine& l) {
    return out << '(' << l.X1 << ',' << l.Y1 << ")-(" << l.X2 << ',' << l.Y2 << ") width "
               << l.Pen.Width << " rgb " << int(l.Pen.Color.Red) << ',' << int(l.Pen.Color.Green)
               << ',' << int(l.Pen.Color.Blue);
}
