#include "edit/Tools.h"

namespace h5 {

const std::array<ToolInfo, 19> &toolTable()
{
    static const std::array<ToolInfo, 19> table = {{
        {32771, Tool::Pointer, "点击等待状态"},
        {32858, Tool::PickColour, "提取该点的颜色当画笔色"},
        {32773, Tool::Line, "绘制直线"},
        {32774, Tool::HollowRect, "绘制空心矩形"},
        {32775, Tool::SolidRect, "绘制实心矩形"},
        {32776, Tool::HollowEllipse, "绘制空心椭圆"},
        {32849, Tool::SolidEllipse, "绘制实心椭圆"},
        {32778, Tool::HollowCircle, "绘制空心圆"},
        {32850, Tool::SolidCircle, "绘制实心圆"},
        {32781, Tool::Characters, "写字符"},
        {32782, Tool::Bitmap, "放置位图"},
        {32857, Tool::GroupBox, "放置分类框"},
        {32856, Tool::Panel, "放置面板"},
        {32889, Tool::StringCtrl, "放置字符串控件"},
        {32814, Tool::PointerCtrl, "放置指针控件"},
        {32811, Tool::NumericCtrl, "放置数值控件"},
        {32813, Tool::BarCtrl, "放置棒图控件"},
        {32812, Tool::ImageCtrl, "放置位图控件"},
        {32854, Tool::ButtonCtrl, "放置按钮控件"},
    }};
    return table;
}

int toolForCommand(int command)
{
    for (const ToolInfo &t : toolTable()) {
        if (t.command == command)
            return t.code;
    }
    return 0;
}

} // namespace h5
