#pragma once

#include <vector>

#include "link/LiveFrame.h"

struct ThemePalette;

// A panel or dialog of the main window. It follows the window's live frames, link events,
// language and colours; each does nothing by default, so a panel overrides only what it uses.
// A panel decides for itself whether it is shown (a hidden dialog ignores live frames, say).
class Panel {
public:
    virtual ~Panel() = default;
    // Each verified live frame of the controller, after the status panel has taken it.
    virtual void liveFrame(const LiveFrame& frame) { (void)frame; }
    // Each event of the controller link (OnZdarzenie's kind, code, value and length).
    virtual void linkEvent(int kind, int code, int value, int length)
    {
        (void)kind, (void)code, (void)value, (void)length;
    }
    // The language changed: captions again from the language table.
    virtual void relabel() {}
    // The colour theme changed.
    virtual void applyColours(const ThemePalette& palette) { (void)palette; }
};

// The window's one list of panels: a new panel or dialog joins with one `add`, and every language,
// colour, live frame and link event reaches it from then on, in the order the panels were added.
// Panels live as long as the window (they are its children); one freed before the window (the
// chart, at closing) leaves the list first.
class PanelList {
public:
    void add(Panel* panel) { panels_.push_back(panel); }
    void remove(Panel* panel) { std::erase(panels_, panel); }
    int size() const { return int(panels_.size()); }

    void liveFrame(const LiveFrame& frame) const
    {
        for (Panel* p : panels_) p->liveFrame(frame);
    }
    void linkEvent(int kind, int code, int value, int length) const
    {
        for (Panel* p : panels_) p->linkEvent(kind, code, value, length);
    }
    void relabel() const
    {
        for (Panel* p : panels_) p->relabel();
    }
    void applyColours(const ThemePalette& palette) const
    {
        for (Panel* p : panels_) p->applyColours(palette);
    }

private:
    std::vector<Panel*> panels_;
};
