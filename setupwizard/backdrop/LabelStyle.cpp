#include "setupwizard/backdrop/LabelStyle.h"

namespace setupwizard {

void TLabelStyle::SetAngle(int value) {
    if (value == angle_) return;
    angle_ = value < 0 || value >= 360 ? 0 : value;
    Changed();
}

void TLabelStyle::SetAStyle3D(T3DEffectShort value) {
    if (value == style3D_) return;
    style3D_ = value;
    Changed();
}

void TLabelStyle::SetAShadeRightBottom(const QColor& value) {
    if (value == shadeRightBottom_) return;
    shadeRightBottom_ = value;
    Changed();
}

void TLabelStyle::SetAShadeLeftTop(const QColor& value) {
    if (shadeLTSet_ || value == shadeLeftTop_) return;
    shadeLeftTop_ = value;
    Changed();
}

void TLabelStyle::SetAShadeLTSet(bool value) {
    if (value == shadeLTSet_) return;
    shadeLTSet_ = value;
    if (value) {
        rememberedLight_ = shadeLeftTop_;
        shadeLeftTop_ = Qt::white;
    } else {
        shadeLeftTop_ = rememberedLight_;
    }
    // Only a light shade the label draws and that really changed needs a
    // repaint; switching off repaints too, or the white copy would stay.
    if ((style3D_ == A3dResit || style3D_ == A3dRaised) && rememberedLight_ != QColor(Qt::white)) Changed();
}

void TLabelStyle::SetAHShadeOffSet(int value) {
    if (value == hShadeOffset_) return;
    hShadeOffset_ = value;
    if (style3D_ == A3dShadowed) Changed();
}

void TLabelStyle::SetAVShadeOffSet(int value) {
    if (value == vShadeOffset_) return;
    vShadeOffset_ = value;
    if (style3D_ == A3dShadowed) Changed();
}

void TLabelStyle::Assign(const TLabelStyle& source) {
    angle_ = source.angle_;
    style3D_ = source.style3D_;
    shadeRightBottom_ = source.shadeRightBottom_;
    shadeLeftTop_ = source.shadeLeftTop_;
    rememberedLight_ = source.rememberedLight_;
    shadeLTSet_ = source.shadeLTSet_;
    hShadeOffset_ = source.hShadeOffset_;
    vShadeOffset_ = source.vShadeOffset_;
    Changed();
}

}  // namespace setupwizard
