#include "editor/GraphPoint.h"

IMPLEMENT_CLASS(TGraphPoint, TGraphNode)

TGraphPoint::TGraphPoint(std::int32_t x, std::int32_t y, const std::string& caption)
    : TGraphNode(std::make_unique<TStringObj>(caption)), X(x), Y(y) {}
