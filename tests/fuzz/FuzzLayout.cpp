// Builds a widget tree from an arbitrary layout document (and lets its containers pull in the
// same document again), then lays it out and draws it.
#include "ui/epiApplication.h"
#include "ui/epiBitmap.h"
#include "ui/epiNativeResources.h"
#include "ui/epiRamFile.h"
#include "ui/epiResourcePack.h"
#include "ui/epiResources.h"
#include "ui/epiUiContainer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> document(data, data + size);
    epiRamFile packed;
    epiResourcePack::write(packed, {{"/layouts/fuzz.xml", document}, {"/layouts/self.xml", document}});
    epiNativeResources::add(30001, packed.bytes().data(), packed.bytes().size());
    {
        epiApplication application;
        application.resources()->openNativePack(30001);
        epiUiContainer root;
        root.setApplication(&application);
        root.init();
        root.loadLayout("fuzz.xml");
        // Keep the drawing small whatever size the document claims.
        root.setFrame({0, 0, 64, 48});
        root.relayout();
        epiBitmap canvas(64, 48);
        root.draw(canvas, {0, 0}, root.bounds());
        root.mouseDown({10, 10});
        root.mouseUp({10, 10});
        while (root.childCount() > 0)
            root.childAt(0)->shutdown();
        application.purgeReleased();
    }
    epiNativeResources::remove(30001);
    return 0;
}
