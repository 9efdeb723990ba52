#pragma once

#include "ui/epiUiTimered.h"
#include "ui/epiRect.h"
#include "ui/epiText.h"
#include "ui/epiXmlChunk.h"

#include <vector>

class epiBitmap;
class epiResources;
class epiUiBehaviour;

// The UI object every widget and window derives from: a frame in its parent's coordinates, a tree
// of children, generic attributes set by four-character codes, anchoring to the parent's
// reference points, observers, a key-target stack and mouse routing.
//
// Ownership: a parent holds one reference to each child it accepted (children built from layouts
// are made counted first). shutdown() takes the object out of its parent and releases that
// reference; destroying a parent shuts its remaining children down. Objects on the stack or
// embedded in others stay not counted and are never destroyed by release().
class epiUbo : public epiUiTimered
{
public:
    epiUbo();
    ~epiUbo() override;

    epiCode typeCode() const override { return epiFourCC("ubob"); }

    // Tree.
    virtual bool canHaveChildren() const { return true; }
    // True when this object may live inside a parent of that type code.
    virtual bool acceptsParent(epiCode) const { return true; }
    bool addChild(epiUbo* child);
    bool removeChild(epiUbo* child);
    int childCount() const { return static_cast<int>(m_children.size()); }
    epiUbo* childAt(int index) const;
    epiUbo* findChild(epiCode code) const;
    epiUbo* findAncestorOfType(epiCode type) const;
    epiUbo* parent() const { return m_parent; }
    int index() const { return m_index; }
    void setApplication(epiApplication* application) override;

    // Geometry.
    const epiRect& frame() const { return m_frame; }
    const epiRect& bounds() const { return m_bounds; }
    epiPoint size() const { return {m_frame.width(), m_frame.height()}; }
    epiPoint origin() const { return {m_frame.left, m_frame.top}; }
    virtual void setFrame(const epiRect& frame);
    void setOrigin(int32_t x, int32_t y);
    void setLayoutSize(const epiRect& size) { m_layoutSize = size; }
    // The design size of the layout when one was set, otherwise the bounds.
    epiRect layoutRect() const { return m_layoutSize.isEmpty() ? m_bounds : m_layoutSize; }
    // Index -1 removes the anchor; otherwise the offset from the parent's reference point is kept.
    void setTopLeftAnchor(int index);
    void setBottomRightAnchor(int index);
    virtual void relayout();
    epiPoint toAncestor(epiPoint point, const epiUbo* ancestor) const;
    epiRect toAncestor(epiRect rect, const epiUbo* ancestor) const;
    epiPoint fromAncestor(epiPoint point, const epiUbo* ancestor) const;

    // Life.
    bool init() override;
    virtual void create();
    virtual void show();
    virtual void close();
    void shutdown() override;
    bool isFirstShow() const { return m_firstShow; }

    // Attributes.
    virtual void setAttribute(epiCode code, int32_t value);
    virtual void setAttributeText(epiCode code, const epiText& value);
    virtual bool getAttribute(epiCode code, epiText& value) const;
    int32_t group() const { return m_group; }
    int32_t groupIndex() const { return m_groupIndex; }

    // State.
    virtual void setVisible(bool visible, bool redraw = true);
    bool isVisible() const { return m_visible; }
    virtual void setText(const epiText& text) { m_text = text; }
    const epiText& text() const { return m_text; }
    virtual void setTitle(const epiText& title) { m_title = title; }
    const epiText& title() const { return m_title; }
    epiCode code() const { return m_code; }
    void setCode(epiCode code) { m_code = code; }

    // Drawing: `origin` is where this object's (0, 0) lies in `target`, `rect` the part to draw in
    // this object's coordinates. Draws the object, then each visible child within the rectangle.
    virtual void draw(epiBitmap& target, epiPoint origin, const epiRect& rect);
    virtual void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect);
    virtual void invalidate(const epiRect& rect);
    void invalidate() { invalidate(m_bounds); }
    // For drawing: the bounds, and the part `rect` of them, where they lie in a target in which
    // this object's (0, 0) is at `origin`.
    epiRect boundsAt(epiPoint origin) const
    {
        epiRect box = m_bounds;
        box.offset(origin.x, origin.y);
        return box;
    }
    epiRect clipAt(epiPoint origin, const epiRect& rect) const
    {
        epiRect clip = rect.intersection(m_bounds);
        clip.offset(origin.x, origin.y);
        return clip;
    }
    // The part of a root object that needs drawing since the last takeDirty().
    epiRect takeDirty();

    // Events, in this object's coordinates. Mouse events return true when something took them.
    virtual bool acceptsMouse() const { return true; }
    virtual bool mouseDown(const epiPoint& point);
    virtual bool mouseUp(const epiPoint& point);
    virtual bool mouseMoved(const epiPoint& point);
    virtual bool mouseDragged(const epiPoint& point);
    virtual bool mouseWheel(const epiPoint& point, int steps);
    void captureMouse();
    void releaseMouse();
    bool hasMouseCapture() const;
    virtual void keyDown(int key);
    virtual void keyRepeat(int key);
    virtual void keyUp(int key);
    void pushKeyTarget(epiUbo* target);
    void popKeyTarget(epiUbo* target);
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    virtual bool handleCommand(epiCode code);

    // The command path of a click: fireAction() lets the behaviour act (toggle, select) and hits
    // the object when it did nothing; hit() notifies 'iHit' and hands this object's index to the
    // parent's childHit(), which runs handleCommand() with the child's code (anonymous children,
    // code 0, pass nothing) and then hits the parent in turn, up to the root.
    void fireAction();
    void hit();
    virtual void childHit(int index);
    // The child whose hit is being handled, during handleCommand() from childHit().
    epiUbo* hitChild() const { return m_hitChild; }

    // Widget state shared by the families (plain objects keep none): enabled, and a value
    // (frame, position, level, on/off of a row) read and set by code.
    virtual void setEnabled(bool) {}
    virtual bool isEnabled() const { return true; }
    virtual void setValue(int32_t) {}
    virtual int32_t value() const { return 0; }

    // Notifications: observers with a code filter (0 = every code).
    void addObserver(epiApplicationObject* observer, epiCode filter = 0);
    void removeObserver(epiApplicationObject* observer);
    // Called by an observer that is being destroyed.
    void forgetObserver(epiApplicationObject* observer);
    void notify(epiCode code, intptr_t value = 0);

    // Services: the resources of the nearest ancestor that has them, else the application's.
    virtual epiResources* resources() const;
    void setResources(epiResources* resources) { m_resources = resources; }
    epiUiBehaviour* behaviour() const { return m_behaviour; }

    // Layouts (layout documents in the resources' "layouts/" folder).
    void buildFromLayout(const epiXmlChunk& content);
    virtual void readProperties(const epiXmlChunk& element);
    void buildChildren(const epiXmlChunk& element);
    bool loadChildLayout(const epiText& fileName);
    bool loadLayout(const epiText& fileName);
    epiUbo* createChild(epiCode kind, epiCode code);
    virtual void afterShow() {}

protected:
    virtual epiUiBehaviour* createBehaviour() { return nullptr; }
    // Called by setFrame after the frame changed.
    virtual void frameChanged() {}
    // The generic command 'quit': the window manager ends its loop.
    virtual void quitApplication();

private:
    struct ObserverLink
    {
        epiApplicationObject* observer;
        epiCode filter;
    };
    epiUbo* childUnder(const epiPoint& point) const;
    void dropObservers();
    void readGeometry(const epiXmlChunk& element);

    epiUiBehaviour* m_behaviour = nullptr;
    int m_index = 0;
    bool m_visible = false;
    epiRect m_frame;
    epiRect m_bounds;
    epiRect m_layoutSize;
    int32_t m_group = 0;
    int32_t m_groupIndex = 0;
    epiCode m_code = 0;
    epiText m_text;
    epiText m_title;
    int m_topLeftAnchor = -1;
    epiPoint m_topLeftOffset;
    int m_bottomRightAnchor = -1;
    epiPoint m_bottomRightOffset;
    std::vector<epiUbo*> m_children;
    epiUbo* m_parent = nullptr;
    std::vector<ObserverLink> m_observers;
    bool m_exhm = false;
    bool m_firstShow = true;
    epiUbo* m_capturedChild = nullptr;
    epiUbo* m_hitChild = nullptr;
    std::vector<epiUbo*> m_keyTargets;
    epiRect m_dirty;
    epiResources* m_resources = nullptr;
};
