#include "win32_resources.h"

WindowDc::WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {
  if (dc_) deviceContextTally.Add();
}

WindowDc::~WindowDc() {
  if (!dc_) return;
  ReleaseDC(window_, dc_);
  deviceContextTally.Drop();
}

Selection::Selection(HDC dc, UINT type)
    : dc_(dc), first_(dc ? GetCurrentObject(dc, type) : nullptr) {
  if (!first_) dc_ = nullptr;
  if (dc_) selectionTally.Add();
}

Selection::Selection(HDC dc, HGDIOBJ object)
    : dc_(dc), first_(dc && object ? SelectObject(dc, object) : nullptr) {
  // HGDI_ERROR: nothing was selected, so nothing is to come back.
  if (!first_ || first_ == HGDI_ERROR) {
    dc_ = nullptr;
    first_ = nullptr;
  }
  if (dc_) selectionTally.Add();
}

Selection::~Selection() {
  if (!dc_) return;
  SelectObject(dc_, first_);
  selectionTally.Drop();
}

void Selection::Choose(HGDIOBJ object) const {
  if (dc_ && object) SelectObject(dc_, object);
}

std::vector<const HandleTally*> Win32Tallies() {
  return {&kernelHandleTally, &gdiObjectTally,  &deviceContextTally, &selectionTally,
          &acceleratorTally,  &imageListTally,  &hookTally,          &taskMemoryTally};
}
