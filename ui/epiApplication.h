#pragma once

#include "ui/epiApplicationObject.h"

#include <functional>
#include <map>
#include <vector>

class epiResources;

// The part of the application object that the toolkit core needs: the object factory, the
// resources and deferred destruction. The window system's application builds on it.
class epiApplication : public epiObject
{
public:
    static constexpr epiCode kFamilyUi = epiFourCC("GrUi");
    static constexpr epiCode kFamilyApplication = epiFourCC("Appl");

    using Creator = std::function<epiObject*(epiCode id)>;

    epiApplication();
    ~epiApplication() override;

    // Family 'GrUi': the registered class for `kind`, else a plain epiUbo (image kinds 'iBmp' and
    // 'iBmD' give bitmaps). Family 'Appl' with kind 'Rsrc': the resources. Others: null.
    epiObject* createObject(epiCode family, epiCode kind, epiCode id) override;
    void registerKind(epiCode kind, Creator creator);

    // The resources, created and initialised on first use.
    epiResources* resources();

    // Takes an object whose last reference went; destroyed by destroyReleased().
    void deferDestroy(epiApplicationObject* object);
    void destroyReleased();

private:
    std::map<epiCode, Creator> m_kinds;
    epiResources* m_resources = nullptr;
    std::vector<epiApplicationObject*> m_released;
};
