#pragma once
// The page "拷贝" of the debug window: for the chosen terminal resolution,
// a source layer, a target layer, the source area and the target point;
// "发送" sends the layer copy command.

#include "debug/ExtensionPage.h"

class QComboBox;
class QLineEdit;

namespace h5 {

class DebugSession;

class LayerCopyPanel : public ExtensionPage
{
    Q_OBJECT
public:
    explicit LayerCopyPanel(DebugSession &session, QWidget *parent = nullptr);

    void send() override;

private:
    void resolutionChosen(int index);

    DebugSession &m_session;
    QComboBox *m_resolution = nullptr;
    QComboBox *m_from = nullptr;
    QComboBox *m_to = nullptr;
    int m_fromLayer = 0;
    int m_toLayer = 0;
    QLineEdit *m_boxes[6] = {}; // source x, y, width, height, destination x, y
};

} // namespace h5
