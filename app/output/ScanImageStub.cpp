// Placeholder of the imaging component until it lands.
#include "app/output/ScanImage.h"

bool CScanImage::StartUp() { return true; }
void CScanImage::ShutDown() {}
bool CScanImage::IsImageFile(const char*) { return false; }
void CScanImage::SetFileOptions() {}
CScanImage::CScanImage() = default;
CScanImage::~CScanImage() = default;
bool CScanImage::Load(const char*) { return false; }
bool CScanImage::Save(const char*, int, int, int) { return false; }
bool CScanImage::ConvertTo24Bits() { return false; }
HGLOBAL CScanImage::PackedBitmap() { return nullptr; }
void CScanImage::Release() {}
bool CScanImage::IsLoaded() const { return false; }
