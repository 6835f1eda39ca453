#pragma once
// The Win32 layer's GDI, USER and COM resources as owners that release them (see
// handle_win32.h): every path out of a function gives back what it took, since a process
// that runs out of GDI objects (10,000 on Windows) has controls that no longer draw. Each
// sort keeps a tally of its live resources in the test builds. UI thread, except for the
// text renderer's, which belong to the drawing thread.
#include <windows.h>
// windows.h first
#include <commctrl.h>
#include <objbase.h>

#include <vector>

#include "handle_win32.h"

inline HandleTally gdiObjectTally{"GDI objects"};
inline HandleTally deviceContextTally{"device contexts"};
inline HandleTally selectionTally{"selections"};
inline HandleTally acceleratorTally{"accelerator tables"};
inline HandleTally imageListTally{"image lists"};
inline HandleTally hookTally{"hooks"};
inline HandleTally taskMemoryTally{"COM task memory"};

// Bitmaps, fonts, pens, brushes and regions.
template <class H>
using GdiObject = Owned<PointerKind<H, DeleteObject, gdiObjectTally>>;
// A device context of its own (CreateCompatibleDC).
using MemoryDc = Owned<PointerKind<HDC, DeleteDC, deviceContextTally>>;
using AcceleratorTable = Owned<PointerKind<HACCEL, DestroyAcceleratorTable, acceleratorTally>>;
using ImageList = Owned<PointerKind<HIMAGELIST, ImageList_Destroy, imageListTally>>;
using MessageHook = Owned<PointerKind<HHOOK, UnhookWindowsHookEx, hookTally>>;
// Memory the shell or COM handed over (CoTaskMemFree): paths, item lists.
template <class P>
using TaskMemory = Owned<PointerKind<P, CoTaskMemFree, taskMemoryTally>>;

// A window's device context (the screen's for no window), given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window = nullptr);
  ~WindowDc();
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// The object of one type (font, bitmap, pen, brush) a device context had when this was
// made, selected back when it goes: what was chosen in between can then be deleted. Not
// for regions, which a device context copies.
class Selection {
 public:
  // Keeps the context's current object of that type (OBJ_FONT, OBJ_BITMAP, ...).
  Selection(HDC dc, UINT type);
  // Selects `object`, keeping the one it replaced.
  Selection(HDC dc, HGDIOBJ object);
  ~Selection();
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

  // Selects another object of the same type; the first one still comes back at the end.
  void Choose(HGDIOBJ object) const;
  // Selects the first one back now.
  void Restore() const { Choose(first_); }

 private:
  HDC dc_;
  HGDIOBJ first_;
};

// The tallies of every owner above and of the kernel handles, for the leak tests.
std::vector<const HandleTally*> Win32Tallies();
