#pragma once
// Bitmap resources of the program's resource modules, searched in module order. Module 0 is the
// program itself; a library registers its bitmaps under a module index of its own.
#include <functional>
#include <string>

class TBitmap;

// Fills the bitmap with the picture; returns false when it cannot.
using TBitmapResourceLoader = std::function<bool(TBitmap* bitmap)>;

void RegisterBitmapResource(int module, const std::string& name, TBitmapResourceLoader loader);
void UnregisterBitmapResource(int module, const std::string& name);
// Number of resource modules (at least 1: the program).
int ResourceModuleCount();
// Loads the named bitmap of one module; false when that module has none by that name.
bool LoadBitmapFromModule(int module, const std::string& name, TBitmap* bitmap);
