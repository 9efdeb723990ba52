#pragma once

#include "ui/epiText.h"

class epiApplication;

// A path in the toolkit's internal form: "/" separates the parts, an absolute path begins with
// "/". On Linux that is also the file system's own form; the drive-letter mapping of fromNative
// and toNative (C:\dir\file <-> /Volumes/C/dir/file) is kept for paths written by other systems.
class epiPath : public epiText
{
public:
    using epiText::epiText;
    epiPath(const epiText& text) : epiText(text) {}

    static epiPath fromNative(const epiText& nativePath);
    // The drive-letter form; a relative path is first put after the application folder.
    epiText toNative() const;

    // The folder of the running program, with a trailing "/"; relative paths are taken from it.
    static const epiPath& applicationFolder();
    static void setApplicationFolder(const epiText& folder);
    // The path the file system is asked for: relative paths are put after the application folder.
    epiPath absolute() const;

    epiText fileName() const;
    epiPath folder() const;
    void setExtension(const char* extension);
    void insertBeforeExtension(const char* suffix);
    void appendComponent(const char* name);
    void ensureTrailingSlash();

    bool exists() const;
    bool isFolder() const;
    bool createFolder() const;
    bool deleteFile() const;

    // 'sApp' programs, 'sRot' system, 'uAps'/'uPrf' application data, 'uDes' desktop,
    // 'uDoc'/'uHom' documents (the configuration folder here); other codes leave the path as is.
    void setSpecialFolder(epiCode code, bool create);

    // The window system's open and save dialogs, owned by the foreground window of `application`
    // (the running window application when none is given); the path becomes the chosen file.
    // False, the path unchanged, when the user cancels, when there is no window system, or for a
    // name longer than 4096 bytes.
    bool chooseOpenFile(epiApplication* application = nullptr);
    bool chooseSaveFile(epiApplication* application = nullptr);
};
