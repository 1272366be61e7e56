// The virtual scanner's capabilities: current values, containers, and negotiated settings.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "scan/TwainValues.h"
#include "tools/vscanner/DataSource.h"

namespace {
const TW_UINT16 CAP_XFERCOUNT = 0x0001;

uint32_t FixValue(double v) {
  const TW_FIX32 f = TwainValues::ToFix32(static_cast<float>(v));
  return static_cast<uint32_t>(static_cast<uint16_t>(f.Whole)) | (static_cast<uint32_t>(f.Frac) << 16);
}

// The number in a one-value item of `type`.
bool ItemNumber(TW_UINT16 type, uint32_t item, double* value) {
  switch (type) {
    case TWTY_INT8:
      *value = static_cast<int8_t>(item);
      return true;
    case TWTY_UINT8:
      *value = static_cast<uint8_t>(item);
      return true;
    case TWTY_INT16:
      *value = static_cast<int16_t>(item);
      return true;
    case TWTY_UINT16:
    case TWTY_BOOL:
      *value = static_cast<uint16_t>(item);
      return true;
    case TWTY_INT32:
      *value = static_cast<int32_t>(item);
      return true;
    case TWTY_UINT32:
      *value = item;
      return true;
    case TWTY_FIX32: {
      TW_FIX32 f;
      f.Whole = static_cast<TW_INT16>(item & 0xFFFF);
      f.Frac = static_cast<TW_UINT16>(item >> 16);
      *value = TwainValues::FromFix32(f);
      return true;
    }
    default:
      return false;
  }
}
}  // namespace

void CDataSource::ResetCapabilities() {
  m_mech = m_config.currentMech;
  m_pixelType = TWPT_RGB;
  m_units = TWUN_INCHES;
  m_size = TWSS_NONE;
  m_xres = m_yres = 150;
  m_brightness = m_contrast = 0;
  m_planar = m_config.planar;
  m_feederEnabled = m_config.feederPages > 0;
  m_frame[0] = m_frame[1] = 0;
  m_frame[2] = kGlassWidth;
  m_frame[3] = kGlassHeight;
  m_fileFormat = TWFF_TIFF;
  std::memset(&m_fileSetup, 0, sizeof(m_fileSetup));
  std::strcpy(m_fileSetup.FileName, "C:\\TWAIN.TIF");
}

bool CDataSource::CurrentValue(TW_UINT16 cap, TW_UINT16* type, uint32_t* value) const {
  *type = TWTY_UINT16;
  switch (cap) {
    case ICAP_XFERMECH:
      *value = m_mech;
      return true;
    case ICAP_PIXELTYPE:
      *value = m_pixelType;
      return true;
    case ICAP_UNITS:
      *value = m_units;
      return true;
    case ICAP_SUPPORTEDSIZES:
      *value = m_size;
      return true;
    case ICAP_PLANARCHUNKY:
      *value = m_planar ? TWPC_PLANAR : TWPC_CHUNKY;
      return true;
    case ICAP_IMAGEFILEFORMAT:
      *value = m_fileFormat;
      return true;
    case CAP_FEEDERENABLED:
      *type = TWTY_BOOL;
      *value = m_feederEnabled;
      return true;
    case CAP_FEEDERLOADED:
      *type = TWTY_BOOL;
      *value = m_config.feederPages > 0;
      return true;
    case CAP_XFERCOUNT:
      *type = TWTY_INT16;
      *value = 0xFFFF;
      return true;
    case ICAP_XRESOLUTION:
      *type = TWTY_FIX32;
      *value = FixValue(m_xres);
      return true;
    case ICAP_YRESOLUTION:
      *type = TWTY_FIX32;
      *value = FixValue(m_yres);
      return true;
    case ICAP_BRIGHTNESS:
      *type = TWTY_FIX32;
      *value = FixValue(m_brightness);
      return true;
    case ICAP_CONTRAST:
      *type = TWTY_FIX32;
      *value = FixValue(m_contrast);
      return true;
    default:
      return false;
  }
}

TW_UINT16 CDataSource::ApplyValue(TW_UINT16 cap, TW_UINT16 type, uint32_t item) {
  double v = 0;
  if (!ItemNumber(type, item, &v)) return Fail(TWCC_BADVALUE);
  const int n = static_cast<int>(std::lround(v));
  switch (cap) {
    case ICAP_XFERMECH:
      if (n < 0 || n > 2 || m_config.refusedMechs.count(static_cast<uint16_t>(n))) return Fail(TWCC_BADVALUE);
      m_mech = static_cast<uint16_t>(n);
      return TWRC_SUCCESS;
    case ICAP_PIXELTYPE:
      if (n < 0 || n > 2) return Fail(TWCC_BADVALUE);
      m_pixelType = static_cast<uint16_t>(n);
      return TWRC_SUCCESS;
    case ICAP_UNITS:
      if (n < 0 || n > 5) return Fail(TWCC_BADVALUE);
      m_units = static_cast<uint16_t>(n);
      return TWRC_SUCCESS;
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
      if (v < 25 || v > 9600) return Fail(TWCC_BADVALUE);
      (cap == ICAP_XRESOLUTION ? m_xres : m_yres) = v;
      return TWRC_SUCCESS;
    case ICAP_BRIGHTNESS:
    case ICAP_CONTRAST:
      if (v < -1000 || v > 1000) return Fail(TWCC_BADVALUE);
      (cap == ICAP_BRIGHTNESS ? m_brightness : m_contrast) = n;
      return TWRC_SUCCESS;
    case ICAP_SUPPORTEDSIZES:
      if (n == TWSS_NONE) {
        m_size = TWSS_NONE;
      } else if (n == TWSS_A4 || n == TWSS_USLETTER) {
        m_size = static_cast<uint16_t>(n);
        m_frame[0] = m_frame[1] = 0;
        m_frame[2] = n == TWSS_A4 ? 8.27 : 8.5;
        m_frame[3] = n == TWSS_A4 ? 11.69 : 11.0;
      } else {
        return Fail(TWCC_BADVALUE);
      }
      return TWRC_SUCCESS;
    case ICAP_PLANARCHUNKY:
      if (n != TWPC_CHUNKY && n != TWPC_PLANAR) return Fail(TWCC_BADVALUE);
      m_planar = n == TWPC_PLANAR;
      return TWRC_SUCCESS;
    case ICAP_IMAGEFILEFORMAT:
      if (n != TWFF_TIFF && n != TWFF_BMP) return Fail(TWCC_BADVALUE);
      m_fileFormat = static_cast<uint16_t>(n);
      return TWRC_SUCCESS;
    case CAP_FEEDERENABLED:
      if (m_config.feederPages <= 0 && n != 0) return Fail(TWCC_BADVALUE);
      m_feederEnabled = n != 0;
      return TWRC_SUCCESS;
    case CAP_XFERCOUNT:
      return TWRC_SUCCESS;
    default:
      return Fail(TWCC_BADCAP);
  }
}

TW_UINT16 CDataSource::Capability(TW_UINT16 msg, TW_CAPABILITY* cap, std::string* note) {
  char text[96];
  std::snprintf(text, sizeof(text), " cap=0x%04X", cap->Cap);
  *note = text;
  if (m_state < 4) return Fail(TWCC_SEQERROR);
  TW_UINT16 type;
  uint32_t value;
  switch (msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      if (!CurrentValue(cap->Cap, &type, &value)) return Fail(TWCC_BADCAP);
      const auto scripted = m_config.enumerations.find(cap->Cap);
      if (msg == MSG_GET && scripted != m_config.enumerations.end()) {
        // An enumeration of 16-bit items, exactly as many as the settings list.
        const std::vector<uint32_t>& items = scripted->second;
        HGLOBAL block = GlobalAlloc(GHND, kTwEnumerationHeader + 2 * items.size());
        if (!block) return Fail(TWCC_LOWMEMORY);
        uint8_t* p = static_cast<uint8_t*>(GlobalLock(block));
        TW_ENUMERATION header;
        header.ItemType = TWTY_UINT16;
        header.NumItems = static_cast<TW_UINT32>(items.size());
        header.CurrentIndex = 0;
        for (size_t i = 0; i < items.size(); ++i)
          if (items[i] == value) header.CurrentIndex = static_cast<TW_UINT32>(i);
        header.DefaultIndex = 0;
        std::memcpy(p, &header, kTwEnumerationHeader);
        for (size_t i = 0; i < items.size(); ++i) {
          const uint16_t item = static_cast<uint16_t>(items[i]);
          std::memcpy(p + kTwEnumerationHeader + 2 * i, &item, 2);
        }
        GlobalUnlock(block);
        cap->ConType = TWON_ENUMERATION;
        cap->hContainer = block;
        *note += " con=4 items=" + std::to_string(items.size());
        return TWRC_SUCCESS;
      }
      HGLOBAL block = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
      if (!block) return Fail(TWCC_LOWMEMORY);
      auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(block));
      one->ItemType = type;
      one->Item = value;
      GlobalUnlock(block);
      cap->ConType = TWON_ONEVALUE;
      cap->hContainer = block;
      std::snprintf(text, sizeof(text), " con=5 type=%u value=%lu", type, static_cast<unsigned long>(value));
      *note += text;
      return TWRC_SUCCESS;
    }
    case MSG_SET: {
      if (cap->ConType != TWON_ONEVALUE || !cap->hContainer) return Fail(TWCC_BADVALUE);
      const SIZE_T size = GlobalSize(cap->hContainer);
      auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(cap->hContainer));
      if (!one) return Fail(TWCC_BADVALUE);
      type = one->ItemType;
      value = one->Item;
      GlobalUnlock(cap->hContainer);
      const long shown =
          type == TWTY_INT16 ? static_cast<int16_t>(value) : static_cast<long>(static_cast<int32_t>(value));
      std::snprintf(text, sizeof(text), " type=%u value=%ld size=%lu", type, shown,
                    static_cast<unsigned long>(size));
      *note += text;
      if (m_state != 4) return Fail(TWCC_SEQERROR);
      if (m_config.refusedCaps.count(cap->Cap)) return Fail(TWCC_BADCAP);
      return ApplyValue(cap->Cap, type, value);
    }
    case MSG_RESET:
      if (m_state != 4) return Fail(TWCC_SEQERROR);
      return TWRC_SUCCESS;
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
}
