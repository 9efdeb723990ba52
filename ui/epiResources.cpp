#include "ui/epiResources.h"

#include "ui/epiFonts.h"
#include "ui/epiRamFile.h"
#include "ui/epiResMediaNativePack.h"
#include "ui/epiXmlChunk.h"

epiResources::epiResources() : m_fonts(std::make_unique<epiFonts>(this)) {}

epiResources::~epiResources()
{
    shutdown();
}

bool epiResources::init()
{
    m_fonts->setResources(this);
    return true;
}

void epiResources::shutdown()
{
    closePack();
    m_bitmaps.shutdown();
}

bool epiResources::openMedia(std::unique_ptr<epiResMediaFiles> media, const epiPath& path)
{
    if (!media->openPath(path))
        return false;
    closePack();
    media->setApplication(application());
    m_media = std::move(media);
    return true;
}

bool epiResources::openNativePack(int identifier)
{
    auto media = std::make_unique<epiResMediaNativePack>();
    if (!media->openIdentifier(identifier))
        return false;
    closePack();
    m_media = std::move(media);
    return true;
}

bool epiResources::openSet(const epiPath& path)
{
    epiText extension = path.extension();
    if (extension == "frs")
        return openMedia(std::make_unique<epiResMediaFiles>(), path);
    if (extension == "prs")
        return openMedia(std::make_unique<epiResMediaPack>(), path);
    return false;
}

bool epiResources::openPack(const epiText& name, const epiText& alternateName)
{
    if (openNativePack(0))
        return true;
    const epiText& base = alternateName.isEmpty() ? name : alternateName;
    std::vector<epiPath> candidates;
    auto addPair = [&](const epiText& prefix) {
        for (const char* extension : {"frs", "prs"}) {
            epiPath path(prefix);
            path.append(base);
            path.setExtension(extension);
            candidates.push_back(path);
        }
    };
    addPair("");
    epiText bundle = name;
    bundle.append(".app/Contents/Resources/");
    addPair(bundle);
    addPair("../Resources/");
    for (const epiPath& candidate : candidates)
        if (openSet(candidate))
            return true;
    return false;
}

void epiResources::closePack()
{
    if (m_media) {
        m_media->close();
        m_media.reset();
    }
}

epiText epiResources::resourcePath(epiCode folderCode, const epiText& name) const
{
    return epiText(epiResMediaFiles::folderPrefix(folderCode).str() + name.str());
}

bool epiResources::readResourceText(const epiText& name, epiCode folderCode, epiText& text)
{
    return m_media && m_media->readText(resourcePath(folderCode, name), text);
}

bool epiResources::readResource(const epiText& name, epiCode folderCode, epiRamFile& memory)
{
    return m_media && m_media->readFile(resourcePath(folderCode, name), memory);
}

bool epiResources::nativePath(const epiText& name, epiCode folderCode, epiPath& path)
{
    return m_media && m_media->nativePath(resourcePath(folderCode, name), path);
}

bool epiResources::listFolder(epiCode folderCode, epiText& list, bool recursive)
{
    list.clear();
    if (!m_media)
        return false;
    epiText prefix = "/";
    prefix.append(epiResMediaFiles::folderPrefix(folderCode));
    m_media->listFolder(prefix, list, recursive);
    return true;
}

bool epiResources::findDocument(epiCode folderCode, epiCode code, epiText& fileName)
{
    epiText list;
    if (!listFolder(folderCode, list, true))
        return false;
    int lines = list.lineCount();
    for (int i = 0; i < lines; ++i) {
        epiText name = list.line(i);
        if (!(name.extension() == "xml"))
            continue;
        epiText document;
        if (!readResourceText(name, folderCode, document))
            continue;
        epiXmlChunk root;
        root.parse(document);
        if (root.child("epi").child("content").child("name").text().toCode() == code) {
            fileName = name;
            return true;
        }
    }
    return false;
}

bool epiResources::layoutSize(epiCode code, epiRect& size)
{
    epiText fileName;
    return findDocument(kLayouts, code, fileName) && layoutFileSize(fileName, size);
}

bool epiResources::layoutFileSize(const epiText& fileName, epiRect& size)
{
    epiText document;
    if (fileName.isEmpty() || !readResourceText(fileName, kLayouts, document))
        return false;
    epiXmlChunk root;
    root.parse(document);
    epiXmlChunk sizeElement = root.child("epi").child("content").child("size");
    if (sizeElement.isEmpty())
        return false;
    epiText value = sizeElement.text();
    size = {0, 0, epiClampCoordinate(value.field(0, ',').toInt()),
            epiClampCoordinate(value.field(1, ',').toInt())};
    return true;
}

bool epiResources::loadImage(const epiText& name, epiCode folderCode, epiBitmap& bitmap)
{
    epiPath companionName(name);
    companionName.insertBeforeExtension("_alpha");
    epiPath native;
    epiBitmap companion;
    bool hasCompanion = false;
    if (nativePath(name, folderCode, native)) {
        if (!bitmap.loadPng(native.str()))
            return false;
        epiPath companionPath;
        hasCompanion =
            nativePath(companionName, folderCode, companionPath) && companion.loadPng(companionPath.str());
    } else {
        epiRamFile bytes, companionBytes;
        if (!readResource(name, folderCode, bytes) || !bitmap.decodePng(bytes.data(), bytes.size()))
            return false;
        hasCompanion = readResource(companionName, folderCode, companionBytes) &&
                       companion.decodePng(companionBytes.data(), companionBytes.size());
    }
    if (hasCompanion)
        bitmap.applyAlphaMask(companion);
    return true;
}

epiBitmap* epiResources::bitmap(const epiText& name, epiCode folderCode)
{
    if (epiBitmapCast* cached = m_bitmaps.find(name)) {
        ++cached->useCount;
        return cached;
    }
    auto loaded = std::make_unique<epiBitmapCast>();
    // On a HiDPI screen the skin's 2x drawing of the image is taken where the pack has one.
    const int32_t scale = epiDisplayScale();
    bool sharp = false;
    if (scale > 1) {
        epiText scaledName;
        scaledName.format("%dx/%s", scale, name.c_str());
        sharp = loadImage(scaledName, folderCode, *loaded) && loaded->setScale(scale);
    }
    if (!sharp && !loadImage(name, folderCode, *loaded))
        return nullptr;
    loaded->name = name;
    loaded->useCount = 1;
    return m_bitmaps.add(std::move(loaded));
}
