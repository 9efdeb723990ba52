#include "ui/epiUiWidgetKinds.h"

#include "ui/epiApplication.h"
#include "ui/epiUiBitmapButton.h"
#include "ui/epiUiBitmapFilmImage.h"
#include "ui/epiUiBitmapLevMeter.h"
#include "ui/epiUiBitmapPopup.h"
#include "ui/epiUiBitmapScroll.h"
#include "ui/epiUiBitmapTextRolling.h"
#include "ui/epiUiBitmapView.h"
#include "ui/epiUiDecorate.h"
#include "ui/epiUiDynamic.h"
#include "ui/epiUiPictureView.h"
#include "ui/epiUiScrollableContainer.h"
#include "ui/epiUiSystemButton.h"
#include "ui/epiUiSystemContainer.h"
#include "ui/epiUiSystemScroll.h"
#include "ui/epiUiSystemText.h"

namespace {

template<typename Widget>
void add(epiApplication& app)
{
    app.registerKind(Widget::kKind, [](epiCode) { return new Widget; });
}

} // namespace

void epiRegisterWidgetKinds(epiApplication& app)
{
    add<epiUiBitmapImage>(app);
    add<epiUiPictureView>(app);
    add<epiUiBitmapButton>(app);
    add<epiUiBitmapButtonWithText>(app);
    add<epiUiBitmapButtonWithIcon>(app);
    add<epiUiBitmapCheckBox>(app);
    add<epiUiBitmapCheckBoxWithText>(app);
    add<epiUiBitmapCheckWithIcon>(app);
    add<epiUiBitmapRadio>(app);
    add<epiUiBitmapRadioWithText>(app);
    add<epiUiBitmapFilmImage>(app);
    add<epiUiBitmapRotary>(app);
    add<epiUiBitmapTriggeredRotary>(app);
    add<epiUiBitmapScroll>(app);
    add<epiUiBitmapLevMeter>(app);
    add<epiUiBitmapText>(app);
    add<epiUiBitmapTextRolling>(app);
    add<epiUiBitmapView>(app);
    add<epiUiBitmapViewContainer>(app);
    add<epiUiContainer>(app);
    add<epiUiScrollableContainer>(app);
    add<epiUiDecorate>(app);
    add<epiUiSystemContainer>(app);
    add<epiUiSystemDecorate>(app);
    add<epiUiBitmapPopup>(app);
    add<epiUiPopupMenu>(app);
    add<epiUiDynamicImage>(app);
    add<epiUiDynamicButton>(app);
    add<epiUiDynamicCheckBox>(app);
    add<epiUiDynamicKnob>(app);
    add<epiUiDynamicLevelMeter>(app);
    add<epiUiSystemButton>(app);
    add<epiUiSystemCheckBox>(app);
    add<epiUiSystemRadio>(app);
    add<epiUiSystemStaticText>(app);
    add<epiUiSystemStaticScrollText>(app);
    add<epiUiSystemRollingText>(app);
    add<epiUiSystemEditText>(app);
    add<epiUiSystemScroll>(app);
    add<epiUiSystemProgressBar>(app);
    add<epiUiSystemPopup>(app);
    add<epiUiSystemPopupArrow>(app);
}
