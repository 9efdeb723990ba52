#pragma once

#include "ui/epiUbo.h"

// The 'chil' attribute of containers: the layout document whose items become the container's
// children, built when the container is created, or at once when it has already been shown.
class epiUiChildLayout
{
public:
    // True when the code was 'chil' (the name is then taken).
    bool set(epiUbo& container, epiCode code, const epiText& fileName);
    bool get(epiCode code, epiText& value) const;
    void build(epiUbo& container) const { container.loadChildLayout(m_fileName); }
    const epiText& fileName() const { return m_fileName; }

private:
    epiText m_fileName;
};

// A plain container ('iCon'): its children come from the layout document named by 'chil',
// built when the container is created, or at once when it has already been shown.
class epiUiContainer : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iCon");

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    void setAttributeText(epiCode code, const epiText& value) override;
    void setAttribute(epiCode code, int32_t value) override;
    bool getAttribute(epiCode code, epiText& value) const override;
    void create() override;

    // A row of a list carries its selection here (1 selected, 0 not).
    void setValue(int32_t value) override;
    int32_t value() const override { return m_value; }

    const epiText& childLayout() const { return m_childLayout.fileName(); }
    bool preserveFlag() const { return m_preserve; }

private:
    epiUiChildLayout m_childLayout;
    bool m_preserve = false;
    int32_t m_value = 0;
};
