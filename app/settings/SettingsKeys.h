// Sections and keys of Quendel.ini and of the scanner description file.
#pragma once

namespace Keys {
// Quendel.ini
constexpr char kSettingsFileName[] = "Quendel.ini";
constexpr char kScanSetting[] = "Scan Setting";
constexpr char kCopySetting[] = "Copy Setting";
constexpr char kFaxSetting[] = "Fax Setting";
constexpr char kMailSetting[] = "Mail Setting";
constexpr char kOcrSetting[] = "Ocr Setting";
constexpr char kActiveDlg[] = "Active_Dlg";
constexpr char kActiveId[] = "Active_ID";
constexpr char kPath[] = "Path";
constexpr char kAuto[] = "Auto";
constexpr char kScanMode[] = "Scan Mode";
constexpr char kResolution[] = "Resolution";
constexpr char kDocumentSize[] = "Document Size";
constexpr char kSupportRes[] = "SupportRes";
constexpr char kBrightness[] = "Brightness";
constexpr char kContrast[] = "Contrast";
constexpr char kImageAp[] = "ImageAp";
constexpr char kFileName[] = "FileName";
constexpr char kScaling[] = "Scaling";
constexpr char kCopies[] = "Copies";
constexpr char kCenterVertical[] = "Center Vertical";
constexpr char kCenterHorizontal[] = "Center Horizontal";
constexpr char kOutputDevice[] = "Output device";
constexpr char kMailFrom[] = "Mail From";
constexpr char kMailTo[] = "Mail To";
constexpr char kSmtp[] = "SMTP";
constexpr char kSmtpPort[] = "SMTP Port";
constexpr char kSmtpSecurity[] = "SMTP Security";
constexpr char kSmtpUser[] = "SMTP User";
// The sign-in with OAuth: 0 (or missing) a password, 1 Microsoft, 2 Google, 3 another; its
// endpoints, scope (for a preset, a value here replaces the preset's), client id and secret.
constexpr char kOAuthProvider[] = "OAuth Provider";
constexpr char kOAuthAuthorizeUrl[] = "OAuth Authorize URL";
constexpr char kOAuthTokenUrl[] = "OAuth Token URL";
constexpr char kOAuthScope[] = "OAuth Scope";
constexpr char kOAuthClientId[] = "OAuth Client ID";
constexpr char kOAuthClientSecret[] = "OAuth Client Secret";
// 1: a Mail job's pages go as one PDF, an OCR job's page is kept as a searchable PDF; 2: as one
// compact PDF (OCR: with the words read laid over it), of the section's preset
// `Compact Quality` (0 small, 1 fine).
constexpr char kAttachAs[] = "Attach As";
constexpr char kSaveAs[] = "Save As";
constexpr char kCompactQuality[] = "Compact Quality";
constexpr int kAttachPages = 0;
constexpr int kAttachPdf = 1;
constexpr int kAttachCompactPdf = 2;
// The page clean-up of each destination (app/settings/CleanupChoices.h): 0 or 1.
constexpr char kStraighten[] = "Straighten";
constexpr char kEachDocument[] = "Each Document";
constexpr char kDeskew[] = "Deskew";
constexpr char kLeaveOutBlank[] = "Leave Out Blank";

// Scanner description file
constexpr char kSupportSize[] = "SupportSize";
constexpr char kCount[] = "Count";
constexpr char kPaperName[] = "PaperName";
constexpr char kCaseInfo[] = "CaseInfo";
constexpr char kDSSectionName[] = "DSSectionName";
constexpr char kDefaultDSSection[] = "ZR7INFO_600";
constexpr char kLanguage[] = "LANGUAGE";
constexpr char kPreScanDpi[] = "PreScanDpi";
constexpr char kPreScanWidth[] = "PreScanWidth";
constexpr char kPreScanHeight[] = "PreScanHeight";
constexpr char kBrand[] = "Brand";
constexpr char kWatch[] = "Watch";
constexpr char kModel[] = "Model";
constexpr char kPackage[] = "Package";
constexpr char kHelp[] = "Help";
constexpr char kHelper[] = "Helper";
constexpr char kVer[] = "Ver";
constexpr char kNull[] = "NULL";
}  // namespace Keys
