#include "app/SpectrumWindow.h"

#include "app/AudioWidgets.h"
#include "audio/AudioHardware.h"

namespace ZumeliApplication {

zumeSpectrumView* SpectrumWindow::view() const { return dynamic_cast<zumeSpectrumView*>(widget("bars")); }

void SpectrumWindow::opened()
{
    m_hardware = panelHardware();
    if (m_hardware)
        m_hardware->setSpectrum(Bands);
    if (zumeSpectrumView* bars = view())
        bars->setSpectrum(m_hardware ? &m_hardware->spectrum() : nullptr);
    startRefresh(RedrawSeconds);
}

void SpectrumWindow::unhook()
{
    if (zumeSpectrumView* bars = view())
        bars->setSpectrum(nullptr);
    // The panel's stream outlives this window only while the main window is open.
    if (m_hardware && panelHardware() == m_hardware)
        m_hardware->setSpectrum(0);
    m_hardware = nullptr;
}

void SpectrumWindow::refresh()
{
    if (zumeSpectrumView* bars = view())
        bars->invalidate();
}

} // namespace ZumeliApplication
