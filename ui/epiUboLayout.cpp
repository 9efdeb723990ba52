// Building an epiUbo tree from layout documents.
#include "ui/epiUbo.h"

#include "ui/epiResources.h"

#include <string>
#include <vector>

namespace {

// A container whose 'chil' names a document already being built (itself, or one that leads back
// to it) would recurse without end, and two such containers would multiply the tree at every
// level: such a document is refused. The depth limit bounds long chains of distinct documents.
// Layouts are built on the main thread only.
constexpr size_t kMaxLayoutDepth = 16;
std::vector<std::string> g_documentsInProgress;

class DocumentGuard
{
public:
    explicit DocumentGuard(const epiText& fileName)
    {
        for (const std::string& open : g_documentsInProgress)
            if (open == fileName.str())
                return;
        if (g_documentsInProgress.size() >= kMaxLayoutDepth)
            return;
        g_documentsInProgress.push_back(fileName.str());
        m_entered = true;
    }
    ~DocumentGuard()
    {
        if (m_entered)
            g_documentsInProgress.pop_back();
    }
    bool entered() const { return m_entered; }

private:
    bool m_entered = false;
};

// "x,y" read field by field with atol rules.
epiPoint readPair(const epiXmlChunk& element)
{
    epiText value = element.text();
    return {epiClampCoordinate(value.field(0, ',').toInt()), epiClampCoordinate(value.field(1, ',').toInt())};
}

// An item named "____" is anonymous: code 0, so its hits pass no command up.
epiCode codeOfName(const epiText& name)
{
    epiCode code = name.toCode();
    return code == epiFourCC("____") ? 0 : code;
}

} // namespace

void epiUbo::readGeometry(const epiXmlChunk& element)
{
    epiXmlChunk position = element.child("position");
    epiXmlChunk size = element.child("size");
    epiXmlChunk relative = element.child("relativeposition");
    epiRect frame = m_frame;
    if (!relative.isEmpty()) {
        // Measured from the previous sibling's top-left corner (the parent's origin for the first).
        epiPoint offset = readPair(relative);
        epiPoint base;
        if (m_parent && m_index > 0)
            base = m_parent->childAt(m_index - 1)->origin();
        frame.moveTo(base.x + offset.x, base.y + offset.y);
    } else if (!position.isEmpty()) {
        epiPoint at = readPair(position);
        frame.moveTo(at.x, at.y);
    }
    if (!size.isEmpty()) {
        epiPoint extent = readPair(size);
        frame.setSize(extent.x, extent.y);
    }
    if (!position.isEmpty() || !size.isEmpty() || !relative.isEmpty())
        setFrame(frame);
}

void epiUbo::readProperties(const epiXmlChunk& element)
{
    epiXmlChunk text = element.child("text");
    if (!text.isEmpty())
        setText(text.text());
    readGeometry(element);
    epiXmlChunkEnumerator attributes(element.child("attributes"), "attribute");
    epiXmlChunk attribute;
    while (attributes.next(attribute))
        setAttributeText(attribute.child("name").text().toCode(), attribute.child("value").text());
}

void epiUbo::buildChildren(const epiXmlChunk& element)
{
    epiXmlChunk size = element.child("size");
    if (!size.isEmpty()) {
        epiPoint extent = readPair(size);
        m_layoutSize = {0, 0, extent.x, extent.y};
    }
    epiXmlChunkEnumerator items(element.child("itemslist"), "item");
    epiXmlChunk item;
    while (items.next(item)) {
        epiCode code = codeOfName(item.child("name").text());
        epiCode kind = item.child("kind").text().toCode();
        epiUbo* child = createChild(kind, code);
        if (!child)
            continue;
        child->makeCounted();
        child->setCode(code);
        if (!addChild(child)) {
            child->release();
            continue;
        }
        child->readProperties(item);
        child->create();
        child->show();
        child->afterShow();
    }
}

void epiUbo::buildFromLayout(const epiXmlChunk& content)
{
    readProperties(content);
    create();
    buildChildren(content);
    show();
}

namespace {

// Reads a layout document and hands its "content" element to `use` while the document's text is
// alive (the chunk points into it). False when there is no such document or content, or when the
// document is already being built (a layout that pulls itself in).
template<typename Use>
bool withLayoutContent(epiResources* set, const epiText& fileName, Use use)
{
    if (fileName.isEmpty() || !set)
        return false;
    DocumentGuard guard(fileName);
    if (!guard.entered())
        return false;
    epiText document;
    if (!set->readResourceText(fileName, epiResources::kLayouts, document))
        return false;
    epiXmlChunk root;
    root.parse(document);
    epiXmlChunk content = root.child("epi").child("content");
    if (content.isEmpty())
        return false;
    use(content);
    return true;
}

} // namespace

bool epiUbo::loadChildLayout(const epiText& fileName)
{
    return withLayoutContent(resources(), fileName, [this](const epiXmlChunk& content) { buildChildren(content); });
}

bool epiUbo::loadLayout(const epiText& fileName)
{
    return withLayoutContent(resources(), fileName, [this](const epiXmlChunk& content) {
        setCode(codeOfName(content.child("name").text()));
        buildFromLayout(content);
    });
}
