#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiBitmapCasts.h"
#include "ui/epiPath.h"

#include <memory>

class epiFonts;
class epiRamFile;
class epiResMediaFiles;

// The application's resource set: one media set (the pack linked into the program, a pack file
// or a folder) with the documents, images, fonts and sounds of the user interface, the bitmap
// cache and the font list.
class epiResources : public epiApplicationObject
{
public:
    static constexpr epiCode kAux = epiFourCC("auxr");
    static constexpr epiCode kFonts = epiFourCC("fnts");
    static constexpr epiCode kImages = epiFourCC("imag");
    static constexpr epiCode kLayouts = epiFourCC("laya");
    static constexpr epiCode kMenus = epiFourCC("menu");

    epiResources();
    ~epiResources() override;

    bool init() override;
    void shutdown() override;

    // Tries, first success wins: the linked-in pack; then, with base = alternateName or name,
    // base.frs, base.prs, name.app/Contents/Resources/base.{frs,prs}, ../Resources/base.{frs,prs}
    // (relative paths from the application folder).
    bool openPack(const epiText& name, const epiText& alternateName = {});
    bool openNativePack(int identifier = 0);
    // A folder set for the extension "frs", a pack file for "prs"; false otherwise.
    bool openSet(const epiPath& path);
    void closePack();
    bool isOpen() const { return m_media != nullptr; }
    epiResMediaFiles* media() const { return m_media.get(); }

    epiText resourcePath(epiCode folderCode, const epiText& name) const;
    bool readResourceText(const epiText& name, epiCode folderCode, epiText& text);
    bool readResource(const epiText& name, epiCode folderCode, epiRamFile& memory);
    bool nativePath(const epiText& name, epiCode folderCode, epiPath& path);
    bool listFolder(epiCode folderCode, epiText& list, bool recursive);
    // The name (relative to the folder) of the first XML document whose epi/content/name is
    // `code`; false when none is.
    bool findDocument(epiCode folderCode, epiCode code, epiText& fileName);
    // The content/size of the layout document named `code`, as (0, 0, width, height).
    bool layoutSize(epiCode code, epiRect& size);
    // The same for the layout document of that file name.
    bool layoutFileSize(const epiText& fileName, epiRect& size);

    // A shared bitmap from the cache, loaded on first request (with its "_alpha" companion when
    // there is one); null when it cannot be read or decoded.
    epiBitmap* bitmap(const epiText& name, epiCode folderCode = kImages);
    void unuseBitmap(epiBitmap* bitmap) { m_bitmaps.unuse(bitmap); }
    epiBitmapCasts& bitmapCache() { return m_bitmaps; }
    // Decodes an image of the set (no cache).
    bool loadImage(const epiText& name, epiCode folderCode, epiBitmap& bitmap);

    epiFonts& fonts() { return *m_fonts; }

private:
    bool openMedia(std::unique_ptr<epiResMediaFiles> media, const epiPath& path);

    std::unique_ptr<epiFonts> m_fonts;
    epiBitmapCasts m_bitmaps;
    std::unique_ptr<epiResMediaFiles> m_media;
};
