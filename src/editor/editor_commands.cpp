// The editor's input: window messages turned into commands on the model state.
#include <cstdio>

#include "editor/sync_editor.h"
#include "platform/gl.h"
#include "platform/win_codes.h"

namespace qorFramework {

void SyncEditor::recordKey(float seconds) {
  if (selectedController) addKey(*selectedController, seconds, 0.0f);
}

void SyncEditor::handleInput(uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (!options.takesInput) return;
  switch (message) {
    case platform::WM_KEYDOWN:
      if (wParam < 256) keyDown[wParam] = true;
      if (wParam == static_cast<uint32_t>(platform::VK_F1)) helpVisible = !helpVisible;
      break;
    case platform::WM_KEYUP:
      if (wParam < 256) keyDown[wParam] = false;
      break;
    case platform::WM_MOUSEMOVE: {
      GLint viewport[4] = {0, 0, 1, 1};
      glGetIntegerv(GL_VIEWPORT, viewport);
      float w = viewport[2] > 0 ? static_cast<float>(viewport[2]) : 1.0f;
      float h = viewport[3] > 0 ? static_cast<float>(viewport[3]) : 1.0f;
      mouseX = static_cast<float>(platform::pointX(lParam)) / w;
      mouseY = 1.0f - (static_cast<float>(platform::pointY(lParam)) - static_cast<float>(viewport[1])) / h;
      snprintf(statusText, sizeof(statusText), "%.2f %.2f - %d", mouseX, mouseY, selectedControllerIndex);
      controllersPanel.updateHover(mouseX, mouseY);
      controllersPanel2.updateHover(mouseX, mouseY);
      workspacePanel.updateHover(mouseX, mouseY);
      layersPanel.updateHover(mouseX, mouseY);
      break;
    }
    case platform::WM_LBUTTONDOWN:
      if (helpVisible) {
        helpVisible = false;
        break;
      }
      if (workspacePanel.hitTest(mouseX, mouseY) == WorkspaceHelp) {
        workspacePanel.open = false;
        helpVisible = true;
      }
      break;
    default:
      break;
  }
}

}  // namespace qorFramework
