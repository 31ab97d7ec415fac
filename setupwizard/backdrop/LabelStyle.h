#pragma once
// TLabelStyle: how a rotated label looks: its angle, its 3-D effect and the
// colours and offsets of its shade copies. Every change ends with OnChange.
#include <QColor>
#include <functional>

namespace setupwizard {

enum T3DEffectShort { A3dNormal, A3dResit, A3dRaised, A3dShadowed };

class TLabelStyle {
public:
    TLabelStyle() = default;

    int Angle() const { return angle_; }
    // Values below 0 or from 360 up are stored as 0.
    void SetAngle(int value);
    T3DEffectShort AStyle3D() const { return style3D_; }
    void SetAStyle3D(T3DEffectShort value);
    QColor AShadeRightBottom() const { return shadeRightBottom_; }
    void SetAShadeRightBottom(const QColor& value);
    QColor AShadeLeftTop() const { return shadeLeftTop_; }
    // Ignored while AShadeLTSet holds the light shade at white.
    void SetAShadeLeftTop(const QColor& value);
    bool AShadeLTSet() const { return shadeLTSet_; }
    // True remembers the light shade and makes it white; false puts it back.
    void SetAShadeLTSet(bool value);
    int AHShadeOffSet() const { return hShadeOffset_; }
    void SetAHShadeOffSet(int value);
    int AVShadeOffSet() const { return vShadeOffset_; }
    void SetAVShadeOffSet(int value);

    // Copies every setting (not OnChange), then fires OnChange.
    void Assign(const TLabelStyle& source);

    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }

    int angle_ = 0;
    T3DEffectShort style3D_ = A3dRaised;
    QColor shadeRightBottom_{128, 128, 128};
    QColor shadeLeftTop_{255, 255, 255};
    QColor rememberedLight_{255, 255, 255};
    bool shadeLTSet_ = false;
    int hShadeOffset_ = 5;
    int vShadeOffset_ = -5;
};

}  // namespace setupwizard
