// TWindowProcess1: a visitor that gives every text and picture of a subtree
// one alpha, so that a screen fades all of them together. It descends
// through texts, pictures and buttons (a button's pictures and label fade
// with it); other windows and what lies below them are left alone.
#pragma once

#include "ui/WindowSpider.h"

class TWindowProcess1 : public TWindowSpider
{
public:
    explicit TWindowProcess1(float alpha) : alpha_(alpha) {}
    // Always true; a null window is skipped.
    bool Visit(TWindow* window) override;

    float GetAlpha() const { return alpha_; }

private:
    float alpha_;
};
