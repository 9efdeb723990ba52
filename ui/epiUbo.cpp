#include "ui/epiUbo.h"

#include "ui/epiApplication.h"
#include "ui/epiUiBehaviour.h"
#include "ui/epiWindowManager.h"

#include <algorithm>

epiUbo::epiUbo() = default;

epiUbo::~epiUbo()
{
    dropObservers();
    while (!m_children.empty())
        m_children.back()->shutdown();
    if (m_parent)
        m_parent->removeChild(this);
    if (m_behaviour) {
        m_behaviour->shutdown();
        m_behaviour->release();
    }
}

// ----- tree -----

bool epiUbo::addChild(epiUbo* child)
{
    if (!child || child == this || !canHaveChildren() || !child->acceptsParent(typeCode()) || child->m_parent)
        return false;
    bool hadApplication = child->application() != nullptr;
    child->m_index = static_cast<int>(m_children.size());
    child->m_parent = this;
    m_children.push_back(child);
    if (!child->application())
        child->setApplication(application());
    if (!hadApplication)
        child->init();
    return true;
}

bool epiUbo::removeChild(epiUbo* child)
{
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found == m_children.end())
        return false;
    m_children.erase(found);
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->m_index = static_cast<int>(i);
    if (m_capturedChild == child)
        m_capturedChild = nullptr;
    if (m_hitChild == child)
        m_hitChild = nullptr;
    std::erase(m_keyTargets, child);
    child->m_parent = nullptr;
    return true;
}

epiUbo* epiUbo::childAt(int index) const
{
    return index >= 0 && index < childCount() ? m_children[index] : nullptr;
}

epiUbo* epiUbo::findChild(epiCode code) const
{
    for (epiUbo* child : m_children)
        if (child->m_code == code)
            return child;
    return nullptr;
}

epiUbo* epiUbo::findAncestorOfType(epiCode type) const
{
    for (epiUbo* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        if (ancestor->typeCode() == type)
            return ancestor;
    return nullptr;
}

void epiUbo::setApplication(epiApplication* application)
{
    epiApplicationObject::setApplication(application);
    if (m_behaviour)
        m_behaviour->setApplication(application);
}

// ----- geometry -----

void epiUbo::setFrame(const epiRect& frame)
{
    m_frame = frame;
    m_bounds = {0, 0, frame.width(), frame.height()};
    frameChanged();
    notify(epiFourCC("boCh"));
}

void epiUbo::setOrigin(int32_t x, int32_t y)
{
    epiRect moved = m_frame;
    moved.moveTo(x, y);
    setFrame(moved);
}

void epiUbo::setTopLeftAnchor(int index)
{
    m_topLeftAnchor = index;
    if (index >= 0 && m_parent) {
        epiPoint reference = m_parent->layoutRect().referencePoint(index);
        m_topLeftOffset = {m_frame.left - reference.x, m_frame.top - reference.y};
    }
}

void epiUbo::setBottomRightAnchor(int index)
{
    m_bottomRightAnchor = index;
    if (index >= 0 && m_parent) {
        epiPoint reference = m_parent->layoutRect().referencePoint(index);
        m_bottomRightOffset = {m_frame.right - reference.x, m_frame.bottom - reference.y};
    }
}

void epiUbo::relayout()
{
    if (m_parent && (m_topLeftAnchor >= 0 || m_bottomRightAnchor >= 0)) {
        epiRect frame = m_frame;
        epiRect parentBounds = m_parent->bounds();
        if (m_topLeftAnchor >= 0) {
            epiPoint reference = parentBounds.referencePoint(m_topLeftAnchor);
            frame.left = reference.x + m_topLeftOffset.x;
            frame.top = reference.y + m_topLeftOffset.y;
            if (m_bottomRightAnchor < 0) { // the corner moves, the size stays
                frame.right = frame.left + m_frame.width();
                frame.bottom = frame.top + m_frame.height();
            }
        }
        if (m_bottomRightAnchor >= 0) {
            epiPoint reference = parentBounds.referencePoint(m_bottomRightAnchor);
            frame.right = reference.x + m_bottomRightOffset.x;
            frame.bottom = reference.y + m_bottomRightOffset.y;
            if (m_topLeftAnchor < 0) {
                frame.left = frame.right - m_frame.width();
                frame.top = frame.bottom - m_frame.height();
            }
        }
        setFrame(frame);
    }
    for (epiUbo* child : m_children)
        child->relayout();
}

epiPoint epiUbo::toAncestor(epiPoint point, const epiUbo* ancestor) const
{
    for (const epiUbo* level = this; level && level != ancestor; level = level->m_parent)
        point.offset(level->m_frame.left, level->m_frame.top);
    return point;
}

epiRect epiUbo::toAncestor(epiRect rect, const epiUbo* ancestor) const
{
    epiPoint corner = toAncestor(epiPoint(0, 0), ancestor);
    rect.offset(corner.x, corner.y);
    return rect;
}

epiPoint epiUbo::fromAncestor(epiPoint point, const epiUbo* ancestor) const
{
    epiPoint corner = toAncestor(epiPoint(0, 0), ancestor);
    return {point.x - corner.x, point.y - corner.y};
}

// ----- life -----

bool epiUbo::init()
{
    if (!m_behaviour) {
        m_behaviour = createBehaviour();
        if (m_behaviour) {
            // The widget holds the one reference; shutdown or destruction releases it.
            m_behaviour->makeCounted();
            m_behaviour->setApplication(application());
            m_behaviour->attach(this);
        }
    }
    return true;
}

void epiUbo::create()
{
    notify(epiFourCC("uCrt"));
}

void epiUbo::show()
{
    m_firstShow = false;
    for (epiUbo* child : m_children)
        if (child->isVisible())
            child->show();
}

void epiUbo::close()
{
    notify(epiFourCC("uDsr"));
    dropObservers();
}

void epiUbo::shutdown()
{
    epiUiTimered::shutdown();
    close();
    while (!m_children.empty())
        m_children.back()->shutdown();
    if (m_behaviour) {
        m_behaviour->shutdown();
        m_behaviour->release();
        m_behaviour = nullptr;
    }
    m_keyTargets.clear();
    if (m_parent)
        m_parent->removeChild(this);
    release();
}

// ----- attributes -----

void epiUbo::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("exhm"):
        m_exhm = value != 0;
        break;
    case epiFourCC("fagr"):
        m_group = value;
        break;
    case epiFourCC("fain"):
        m_groupIndex = value;
        break;
    case epiFourCC("mgTL"):
        setTopLeftAnchor(value > 0 ? value - 1 : -1);
        break;
    case epiFourCC("mgBR"):
        setBottomRightAnchor(value > 0 ? value - 1 : -1);
        break;
    case epiFourCC("visi"):
        setVisible(value != 0, false);
        break;
    default:
        break;
    }
    if (m_behaviour)
        m_behaviour->receiveAttribute(code, value);
}

void epiUbo::setAttributeText(epiCode code, const epiText& value)
{
    if (code == epiFourCC("text")) {
        setText(value);
        return;
    }
    if (code == epiFourCC("titl")) {
        setTitle(value);
        return;
    }
    if (m_behaviour && m_behaviour->receiveAttributeText(code, value))
        return;
    setAttribute(code, value.toInt());
}

bool epiUbo::getAttribute(epiCode code, epiText& value) const
{
    switch (code) {
    case epiFourCC("fagr"):
        value.format("%d", m_group);
        return true;
    case epiFourCC("fain"):
        value.format("%d", m_groupIndex);
        return true;
    case epiFourCC("visi"):
        value.format("%d", m_visible ? 1 : 0);
        return true;
    case epiFourCC("text"):
        value.assign(m_text);
        return true;
    default:
        return false;
    }
}

void epiUbo::setVisible(bool visible, bool redraw)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (redraw && m_parent)
        m_parent->invalidate(m_frame);
}

// ----- drawing -----

void epiUbo::draw(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    drawSelf(target, origin, rect);
    notify(epiFourCC("upda"));
    for (epiUbo* child : m_children) {
        if (!child->isVisible())
            continue;
        epiRect part = rect.intersection(child->m_frame);
        if (part.isEmpty())
            continue;
        part.offset(-child->m_frame.left, -child->m_frame.top);
        child->draw(target, {origin.x + child->m_frame.left, origin.y + child->m_frame.top}, part);
    }
}

void epiUbo::drawSelf(epiBitmap&, epiPoint, const epiRect&) {}

void epiUbo::invalidate(const epiRect& rect)
{
    if (m_parent) {
        if (m_visible) {
            epiRect inParent = rect.intersection(m_bounds);
            inParent.offset(m_frame.left, m_frame.top);
            m_parent->invalidate(inParent);
        }
        return;
    }
    m_dirty = m_dirty.united(rect.intersection(m_bounds));
}

epiRect epiUbo::takeDirty()
{
    epiRect dirty = m_dirty;
    m_dirty = {};
    return dirty;
}

// ----- events -----

epiUbo* epiUbo::childUnder(const epiPoint& point) const
{
    for (auto child = m_children.rbegin(); child != m_children.rend(); ++child)
        if ((*child)->acceptsMouse() && (*child)->isVisible() && (*child)->m_frame.contains(point))
            return *child;
    return nullptr;
}

static epiPoint inChild(const epiPoint& point, const epiUbo* child)
{
    return {point.x - child->frame().left, point.y - child->frame().top};
}

bool epiUbo::mouseDown(const epiPoint& point)
{
    if (m_behaviour && m_behaviour->mouseDown(point))
        return true;
    if (m_capturedChild)
        return m_capturedChild->mouseDown(inChild(point, m_capturedChild)), true;
    if (!m_exhm) {
        epiUbo* child = childUnder(point);
        return child && child->mouseDown(inChild(point, child));
    }
    bool taken = false;
    // Copy: a handler may add or remove children.
    std::vector<epiUbo*> children = m_children;
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        epiUbo* candidate = *child;
        if (!candidate->acceptsMouse() || !candidate->isVisible() || !candidate->m_frame.contains(point))
            continue;
        taken |= candidate->mouseDown(inChild(point, candidate));
        if (m_capturedChild == candidate)
            break;
    }
    return taken;
}

bool epiUbo::mouseUp(const epiPoint& point)
{
    if (m_behaviour && m_behaviour->mouseUp(point))
        return true;
    epiUbo* child = m_capturedChild ? m_capturedChild : childUnder(point);
    return child && child->mouseUp(inChild(point, child));
}

bool epiUbo::mouseMoved(const epiPoint& point)
{
    epiUbo* child = childUnder(point);
    return child && child->mouseMoved(inChild(point, child));
}

bool epiUbo::mouseDragged(const epiPoint& point)
{
    if (m_behaviour && m_behaviour->mouseDragged(point))
        return true;
    return m_capturedChild && m_capturedChild->mouseDragged(inChild(point, m_capturedChild));
}

bool epiUbo::mouseWheel(const epiPoint& point, int steps)
{
    epiUbo* child = childUnder(point);
    return child && child->mouseWheel(inChild(point, child), steps);
}

void epiUbo::captureMouse()
{
    for (epiUbo* level = this; level->m_parent; level = level->m_parent)
        level->m_parent->m_capturedChild = level;
}

void epiUbo::releaseMouse()
{
    m_capturedChild = nullptr;
    for (epiUbo* level = this; level->m_parent; level = level->m_parent)
        if (level->m_parent->m_capturedChild == level)
            level->m_parent->m_capturedChild = nullptr;
}

bool epiUbo::hasMouseCapture() const
{
    return m_parent && m_parent->m_capturedChild == this;
}

void epiUbo::keyDown(int key)
{
    if (!m_keyTargets.empty())
        return m_keyTargets.back()->keyDown(key);
    notify(epiFourCC("kedo"), key);
}

void epiUbo::keyRepeat(int key)
{
    if (!m_keyTargets.empty())
        return m_keyTargets.back()->keyRepeat(key);
    notify(epiFourCC("kere"), key);
}

void epiUbo::keyUp(int key)
{
    if (!m_keyTargets.empty())
        return m_keyTargets.back()->keyUp(key);
    notify(epiFourCC("keup"), key);
}

void epiUbo::pushKeyTarget(epiUbo* target)
{
    if (target && target != this)
        m_keyTargets.push_back(target);
}

void epiUbo::popKeyTarget(epiUbo* target)
{
    auto found = std::find(m_keyTargets.rbegin(), m_keyTargets.rend(), target);
    if (found != m_keyTargets.rend())
        m_keyTargets.erase(std::next(found).base());
}

bool epiUbo::receiveCommand(epiCode, intptr_t, intptr_t)
{
    return false;
}

void epiUbo::quitApplication()
{
    if (application() && application()->windowManager())
        application()->windowManager()->quit();
}

bool epiUbo::handleCommand(epiCode code)
{
    if (code == epiFourCC("clos")) {
        close();
        return true;
    }
    if (code == epiFourCC("quit")) {
        quitApplication();
        return true;
    }
    return false;
}

void epiUbo::fireAction()
{
    if (!m_behaviour || !m_behaviour->toggleOrSelect())
        hit();
}

void epiUbo::hit()
{
    notify(epiFourCC("iHit"));
    if (m_parent)
        m_parent->childHit(m_index);
}

void epiUbo::childHit(int index)
{
    epiUbo* child = childAt(index);
    if (child && child->code() != 0) {
        epiUbo* outer = m_hitChild;
        m_hitChild = child;
        handleCommand(child->code());
        m_hitChild = outer;
    }
    if (m_parent)
        hit();
}

// ----- notifications and services -----

void epiUbo::addObserver(epiApplicationObject* observer, epiCode filter)
{
    if (!observer)
        return;
    m_observers.push_back({observer, filter});
    observer->m_observed.push_back(this);
}

void epiUbo::removeObserver(epiApplicationObject* observer)
{
    std::erase_if(m_observers, [observer](const ObserverLink& link) { return link.observer == observer; });
    if (observer)
        std::erase(observer->m_observed, this);
}

void epiUbo::forgetObserver(epiApplicationObject* observer)
{
    std::erase_if(m_observers, [observer](const ObserverLink& link) { return link.observer == observer; });
}

void epiUbo::dropObservers()
{
    for (const ObserverLink& link : m_observers)
        std::erase(link.observer->m_observed, this);
    m_observers.clear();
}

void epiUbo::notify(epiCode code, intptr_t value)
{
    // Copy: an observer may stop observing, or go away, from inside a handler; each one is
    // checked to be still linked before it is called.
    std::vector<ObserverLink> links = m_observers;
    for (const ObserverLink& link : links) {
        if (link.filter != 0 && link.filter != code)
            continue;
        bool linked = std::any_of(m_observers.begin(), m_observers.end(), [&](const ObserverLink& current) {
            return current.observer == link.observer && current.filter == link.filter;
        });
        if (linked)
            link.observer->notified(code, this, value);
    }
}

epiResources* epiUbo::resources() const
{
    if (m_resources)
        return m_resources;
    if (m_parent)
        return m_parent->resources();
    return application() ? application()->resources() : nullptr;
}

epiUbo* epiUbo::createChild(epiCode kind, epiCode code)
{
    epiObject* made =
        application() ? application()->createObject(epiApplication::kFamilyUi, kind, code) : nullptr;
    if (!application()) {
        // Without an application only plain objects can be made.
        made = new epiUbo;
    }
    if (auto* ubo = dynamic_cast<epiUbo*>(made))
        return ubo;
    if (made) {
        made->makeCounted();
        made->release();
    }
    return nullptr;
}
