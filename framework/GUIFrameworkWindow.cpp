#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

GUIFrameworkWindow::GUIFrameworkWindow() {}

GUIFrameworkWindow::~GUIFrameworkWindow() {}

void GUIFrameworkWindow::Update() { eventCode = 0; }

void GUIFrameworkWindow::Show(int32_t m) { mode = m; }

void GUIFrameworkWindow::Hide() { handled = true; }

} // namespace GameFramework
