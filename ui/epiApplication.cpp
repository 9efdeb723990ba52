#include "ui/epiApplication.h"

#include "ui/epiBitmap.h"
#include "ui/epiResources.h"
#include "ui/epiUbo.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiBitmapText.h"
#include "ui/epiUiContainer.h"

epiApplication::epiApplication()
{
    registerKind(epiUiContainer::kKind, [](epiCode) { return new epiUiContainer; });
    registerKind(epiUiBitmapImage::kKind, [](epiCode) { return new epiUiBitmapImage; });
    registerKind(epiUiBitmapText::kKind, [](epiCode) { return new epiUiBitmapText; });
}

epiApplication::~epiApplication()
{
    destroyReleased();
    if (m_resources) {
        m_resources->shutdown();
        delete m_resources;
    }
}

epiObject* epiApplication::createObject(epiCode family, epiCode kind, epiCode id)
{
    if (family == kFamilyApplication && kind == epiFourCC("Rsrc"))
        return new epiResources;
    if (family != kFamilyUi)
        return nullptr;
    if (auto found = m_kinds.find(kind); found != m_kinds.end())
        return found->second(id);
    if (kind == epiFourCC("iBmp") || kind == epiFourCC("iBmD"))
        return new epiBitmap;
    return new epiUbo;
}

void epiApplication::registerKind(epiCode kind, Creator creator)
{
    m_kinds[kind] = std::move(creator);
}

epiResources* epiApplication::resources()
{
    if (!m_resources) {
        // Made through the factory so that an application can give its own resources class.
        m_resources = dynamic_cast<epiResources*>(createObject(kFamilyApplication, epiFourCC("Rsrc"), 0));
        if (!m_resources)
            m_resources = new epiResources;
        m_resources->init();
    }
    return m_resources;
}

void epiApplication::deferDestroy(epiApplicationObject* object)
{
    if (object)
        m_released.push_back(object);
}

void epiApplication::destroyReleased()
{
    // Destroying an object may release others; they join the list and go in the same pass.
    while (!m_released.empty()) {
        std::vector<epiApplicationObject*> batch;
        batch.swap(m_released);
        for (epiApplicationObject* object : batch)
            delete object;
    }
}
