#pragma once

#include "ui/epiUiDecorate.h"

// The containers that group native controls ('iSco', and 'iSde' with a decoration): children
// from 'chil' like every container; 'Grup' is stored. The native controls of their children sit
// in the window's native layer at the children's window positions, so no native window of their
// own is needed.
class epiUiSystemContainer : public epiUiContainer
{
public:
    static constexpr epiCode kKind = epiFourCC("iSco");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    int32_t groupBox() const { return m_group; }

private:
    int32_t m_group = 0;
};

class epiUiSystemDecorate : public epiUiDecorate
{
public:
    static constexpr epiCode kKind = epiFourCC("iSde");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    int32_t groupBox() const { return m_group; }

private:
    int32_t m_group = 0;
};
