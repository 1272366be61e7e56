// TWAIN 1.x declarations used by the acquisition library and the virtual scanner: the
// structures, triplet codes, capabilities and constants of the published protocol, with the
// 2-byte packing that Windows sources and managers use. Platform-free: handles and memory
// references are plain pointers, which is what they are on 32-bit Windows.
#pragma once

#include <cstdint>

typedef int8_t TW_INT8;
typedef int16_t TW_INT16;
typedef int32_t TW_INT32;
typedef uint8_t TW_UINT8;
typedef uint16_t TW_UINT16;
typedef uint32_t TW_UINT32;
typedef uint16_t TW_BOOL;
typedef void* TW_HANDLE;
typedef void* TW_MEMREF;
typedef char TW_STR32[34];
typedef char TW_STR255[256];

#pragma pack(push, 2)

struct TW_FIX32 {
  TW_INT16 Whole;
  TW_UINT16 Frac;
};

struct TW_FRAME {
  TW_FIX32 Left;
  TW_FIX32 Top;
  TW_FIX32 Right;
  TW_FIX32 Bottom;
};

struct TW_VERSION {
  TW_UINT16 MajorNum;
  TW_UINT16 MinorNum;
  TW_UINT16 Language;
  TW_UINT16 Country;
  TW_STR32 Info;
};

struct TW_IDENTITY {
  TW_UINT32 Id;
  TW_VERSION Version;
  TW_UINT16 ProtocolMajor;
  TW_UINT16 ProtocolMinor;
  TW_UINT32 SupportedGroups;
  TW_STR32 Manufacturer;
  TW_STR32 ProductFamily;
  TW_STR32 ProductName;
};

struct TW_CAPABILITY {
  TW_UINT16 Cap;
  TW_UINT16 ConType;
  TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
  TW_UINT16 ItemType;
  TW_UINT32 Item;
};

struct TW_ENUMERATION {
  TW_UINT16 ItemType;
  TW_UINT32 NumItems;
  TW_UINT32 CurrentIndex;
  TW_UINT32 DefaultIndex;
  TW_UINT8 ItemList[1];
};

struct TW_EVENT {
  TW_MEMREF pEvent;
  TW_UINT16 TWMessage;
};

struct TW_USERINTERFACE {
  TW_BOOL ShowUI;
  TW_BOOL ModalUI;
  TW_HANDLE hParent;
};

struct TW_PENDINGXFERS {
  TW_UINT16 Count;
  TW_UINT32 EOJ;
};

struct TW_SETUPMEMXFER {
  TW_UINT32 MinBufSize;
  TW_UINT32 MaxBufSize;
  TW_UINT32 Preferred;
};

struct TW_SETUPFILEXFER {
  TW_STR255 FileName;
  TW_UINT16 Format;
  TW_INT16 VRefNum;
};

struct TW_MEMORY {
  TW_UINT32 Flags;
  TW_UINT32 Length;
  TW_MEMREF TheMem;
};

struct TW_IMAGEMEMXFER {
  TW_UINT16 Compression;
  TW_UINT32 BytesPerRow;
  TW_UINT32 Columns;
  TW_UINT32 Rows;
  TW_UINT32 XOffset;
  TW_UINT32 YOffset;
  TW_UINT32 BytesWritten;
  TW_MEMORY Memory;
};

struct TW_IMAGEINFO {
  TW_FIX32 XResolution;
  TW_FIX32 YResolution;
  TW_INT32 ImageWidth;
  TW_INT32 ImageLength;
  TW_INT16 SamplesPerPixel;
  TW_INT16 BitsPerSample[8];
  TW_INT16 BitsPerPixel;
  TW_BOOL Planar;
  TW_INT16 PixelType;
  TW_UINT16 Compression;
};

struct TW_IMAGELAYOUT {
  TW_FRAME Frame;
  TW_UINT32 DocumentNumber;
  TW_UINT32 PageNumber;
  TW_UINT32 FrameNumber;
};

struct TW_STATUS {
  TW_UINT16 ConditionCode;
  TW_UINT16 Reserved;
};

#pragma pack(pop)

static_assert(sizeof(TW_FIX32) == 4, "TW_FIX32");
static_assert(sizeof(TW_ONEVALUE) == 6, "TW_ONEVALUE");
static_assert(sizeof(TW_PENDINGXFERS) == 6, "TW_PENDINGXFERS");
static_assert(sizeof(TW_IMAGEINFO) == 42, "TW_IMAGEINFO");
static_assert(sizeof(TW_IMAGELAYOUT) == 28, "TW_IMAGELAYOUT");
static_assert(sizeof(TW_SETUPFILEXFER) == 260, "TW_SETUPFILEXFER");
static_assert(sizeof(TW_IDENTITY) == 156, "TW_IDENTITY");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(TW_IMAGEMEMXFER) == 38, "TW_IMAGEMEMXFER");
static_assert(sizeof(TW_EVENT) == 6, "TW_EVENT");
static_assert(sizeof(TW_CAPABILITY) == 8, "TW_CAPABILITY");
static_assert(sizeof(TW_USERINTERFACE) == 8, "TW_USERINTERFACE");
#endif

// Header of an enumeration container before its item list.
const uint32_t kTwEnumerationHeader = 14;

// Data groups.
const TW_UINT32 DG_CONTROL = 0x0001;
const TW_UINT32 DG_IMAGE = 0x0002;

// Data argument types.
const TW_UINT16 DAT_NULL = 0x0000;
const TW_UINT16 DAT_CAPABILITY = 0x0001;
const TW_UINT16 DAT_EVENT = 0x0002;
const TW_UINT16 DAT_IDENTITY = 0x0003;
const TW_UINT16 DAT_PARENT = 0x0004;
const TW_UINT16 DAT_PENDINGXFERS = 0x0005;
const TW_UINT16 DAT_SETUPMEMXFER = 0x0006;
const TW_UINT16 DAT_SETUPFILEXFER = 0x0007;
const TW_UINT16 DAT_STATUS = 0x0008;
const TW_UINT16 DAT_USERINTERFACE = 0x0009;
const TW_UINT16 DAT_IMAGEINFO = 0x0101;
const TW_UINT16 DAT_IMAGELAYOUT = 0x0102;
const TW_UINT16 DAT_IMAGEMEMXFER = 0x0103;
const TW_UINT16 DAT_IMAGENATIVEXFER = 0x0104;
const TW_UINT16 DAT_IMAGEFILEXFER = 0x0105;

// Messages.
const TW_UINT16 MSG_NULL = 0x0000;
const TW_UINT16 MSG_GET = 0x0001;
const TW_UINT16 MSG_GETCURRENT = 0x0002;
const TW_UINT16 MSG_GETDEFAULT = 0x0003;
const TW_UINT16 MSG_GETFIRST = 0x0004;
const TW_UINT16 MSG_GETNEXT = 0x0005;
const TW_UINT16 MSG_SET = 0x0006;
const TW_UINT16 MSG_RESET = 0x0007;
const TW_UINT16 MSG_QUERYSUPPORT = 0x0008;
const TW_UINT16 MSG_XFERREADY = 0x0101;
const TW_UINT16 MSG_CLOSEDSREQ = 0x0102;
const TW_UINT16 MSG_CLOSEDSOK = 0x0103;
const TW_UINT16 MSG_OPENDSM = 0x0301;
const TW_UINT16 MSG_CLOSEDSM = 0x0302;
const TW_UINT16 MSG_OPENDS = 0x0401;
const TW_UINT16 MSG_CLOSEDS = 0x0402;
const TW_UINT16 MSG_USERSELECT = 0x0403;
const TW_UINT16 MSG_DISABLEDS = 0x0501;
const TW_UINT16 MSG_ENABLEDS = 0x0502;
const TW_UINT16 MSG_ENABLEDSUIONLY = 0x0503;
const TW_UINT16 MSG_PROCESSEVENT = 0x0601;
const TW_UINT16 MSG_ENDXFER = 0x0701;

// Return codes.
const TW_UINT16 TWRC_SUCCESS = 0;
const TW_UINT16 TWRC_FAILURE = 1;
const TW_UINT16 TWRC_CHECKSTATUS = 2;
const TW_UINT16 TWRC_CANCEL = 3;
const TW_UINT16 TWRC_DSEVENT = 4;
const TW_UINT16 TWRC_NOTDSEVENT = 5;
const TW_UINT16 TWRC_XFERDONE = 6;
const TW_UINT16 TWRC_ENDOFLIST = 7;

// Condition codes.
const TW_UINT16 TWCC_SUCCESS = 0;
const TW_UINT16 TWCC_BUMMER = 1;
const TW_UINT16 TWCC_LOWMEMORY = 2;
const TW_UINT16 TWCC_NODS = 3;
const TW_UINT16 TWCC_OPERATIONERROR = 5;
const TW_UINT16 TWCC_BADCAP = 6;
const TW_UINT16 TWCC_BADPROTOCOL = 9;
const TW_UINT16 TWCC_BADVALUE = 10;
const TW_UINT16 TWCC_SEQERROR = 11;
const TW_UINT16 TWCC_BADDEST = 12;
const TW_UINT16 TWCC_CHECKDEVICEONLINE = 23;  // the device went away during the operation

// Container types.
const TW_UINT16 TWON_ARRAY = 3;
const TW_UINT16 TWON_ENUMERATION = 4;
const TW_UINT16 TWON_ONEVALUE = 5;
const TW_UINT16 TWON_RANGE = 6;
const TW_UINT16 TWON_DONTCARE16 = 0xFFFF;

// Item types.
const TW_UINT16 TWTY_INT8 = 0x0000;
const TW_UINT16 TWTY_INT16 = 0x0001;
const TW_UINT16 TWTY_INT32 = 0x0002;
const TW_UINT16 TWTY_UINT8 = 0x0003;
const TW_UINT16 TWTY_UINT16 = 0x0004;
const TW_UINT16 TWTY_UINT32 = 0x0005;
const TW_UINT16 TWTY_BOOL = 0x0006;
const TW_UINT16 TWTY_FIX32 = 0x0007;

// Capabilities.
const TW_UINT16 ICAP_PIXELTYPE = 0x0101;
const TW_UINT16 ICAP_UNITS = 0x0102;
const TW_UINT16 ICAP_XFERMECH = 0x0103;
const TW_UINT16 CAP_FEEDERENABLED = 0x1002;
const TW_UINT16 CAP_FEEDERLOADED = 0x1003;
const TW_UINT16 ICAP_BRIGHTNESS = 0x1101;
const TW_UINT16 ICAP_CONTRAST = 0x1103;
const TW_UINT16 ICAP_IMAGEFILEFORMAT = 0x110C;
const TW_UINT16 ICAP_XRESOLUTION = 0x1118;
const TW_UINT16 ICAP_YRESOLUTION = 0x1119;
const TW_UINT16 ICAP_PLANARCHUNKY = 0x1120;
const TW_UINT16 ICAP_SUPPORTEDSIZES = 0x1122;

// Capability values.
const TW_UINT16 TWSX_NATIVE = 0;
const TW_UINT16 TWSX_FILE = 1;
const TW_UINT16 TWSX_MEMORY = 2;
const TW_UINT16 TWFF_TIFF = 0;
const TW_UINT16 TWFF_BMP = 2;
const TW_UINT16 TWPT_BW = 0;
const TW_UINT16 TWPT_GRAY = 1;
const TW_UINT16 TWPT_RGB = 2;
const TW_UINT16 TWPC_CHUNKY = 0;
const TW_UINT16 TWPC_PLANAR = 1;
const TW_UINT16 TWUN_INCHES = 0;
const TW_UINT16 TWUN_CENTIMETERS = 1;
const TW_UINT16 TWUN_PICAS = 2;
const TW_UINT16 TWUN_POINTS = 3;
const TW_UINT16 TWUN_TWIPS = 4;
const TW_UINT16 TWUN_PIXELS = 5;
const TW_UINT16 TWSS_NONE = 0;
const TW_UINT16 TWSS_A4 = 1;
const TW_UINT16 TWSS_USLETTER = 3;
const TW_UINT16 TWLG_USA = 13;
const TW_UINT16 TWCY_USA = 1;
const TW_UINT32 DF_DSM2 = 0x10000000;

// Memory flags of TW_MEMORY.
const TW_UINT32 TWMF_APPOWNS = 0x0001;
const TW_UINT32 TWMF_POINTER = 0x0008;
