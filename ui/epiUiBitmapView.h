#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiUiContainer.h"

// A view ('iBvw') draws itself and its children into its own off-screen 32-bit bitmap, made at
// create() with the frame's size (and remade when the size changes), then copies the drawn part
// to the target. Fonts draw into it with drawToView.
class epiUiBitmapView : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iBvw");

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    void create() override;
    void draw(epiBitmap& target, epiPoint origin, const epiRect& rect) override;
    epiBitmap& bitmap() { return m_bitmap; }
    const epiBitmap& bitmap() const { return m_bitmap; }

protected:
    void frameChanged() override;

private:
    epiBitmap m_bitmap;
};

// A view that is also a container ('iBco'): its children come from the layout named by 'chil'.
class epiUiBitmapViewContainer : public epiUiBitmapView
{
public:
    static constexpr epiCode kKind = epiFourCC("iBco");

    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    bool getAttribute(epiCode code, epiText& value) const override;
    void create() override;

private:
    epiUiChildLayout m_childLayout;
};
