// The network scanner's documents: the strict XML reader, the capabilities and status, the
// plan of a scan job (region, resolution, mode, format) and the ScanSettings that carry it.
#include <gtest/gtest.h>

#include <string>

#include "scan/escl/Capabilities.h"
#include "scan/escl/PageRows.h"
#include "scan/escl/ScanSettings.h"
#include "scan/escl/ScannerStatus.h"
#include "scan/escl/XmlReader.h"

namespace {
XmlError Parse(const std::string& text, XmlElement* root, const XmlLimits& limits = XmlLimits()) {
  return ParseXml(text.data(), text.size(), root, limits);
}

const char kCapabilities[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<scan:ScannerCapabilities xmlns:scan="http://schemas.hp.com/imaging/escl/2011/05/03" xmlns:pwg="http://www.pwg.org/schemas/2010/12/sm">
  <pwg:Version>2.63</pwg:Version>
  <pwg:MakeAndModel>Office &amp; Co MF 42</pwg:MakeAndModel>
  <scan:Platen><scan:PlatenInputCaps>
    <scan:MinWidth>16</scan:MinWidth><scan:MaxWidth>2550</scan:MaxWidth>
    <scan:MinHeight>16</scan:MinHeight><scan:MaxHeight>3508</scan:MaxHeight>
    <scan:SettingProfiles><scan:SettingProfile>
      <scan:ColorModes><scan:ColorMode>Grayscale8</scan:ColorMode><scan:ColorMode>RGB24</scan:ColorMode></scan:ColorModes>
      <scan:DocumentFormats><pwg:DocumentFormat>application/pdf</pwg:DocumentFormat><pwg:DocumentFormat>image/jpeg</pwg:DocumentFormat></scan:DocumentFormats>
      <scan:SupportedResolutions><scan:DiscreteResolutions>
        <scan:DiscreteResolution><scan:XResolution>300</scan:XResolution><scan:YResolution>300</scan:YResolution></scan:DiscreteResolution>
        <scan:DiscreteResolution><scan:XResolution>100</scan:XResolution><scan:YResolution>100</scan:YResolution></scan:DiscreteResolution>
        <scan:DiscreteResolution><scan:XResolution>600</scan:XResolution><scan:YResolution>1200</scan:YResolution></scan:DiscreteResolution>
      </scan:DiscreteResolutions></scan:SupportedResolutions>
    </scan:SettingProfile></scan:SettingProfiles>
  </scan:PlatenInputCaps></scan:Platen>
  <scan:Adf><scan:AdfSimplexInputCaps>
    <scan:MinWidth>600</scan:MinWidth><scan:MaxWidth>2550</scan:MaxWidth>
    <scan:MinHeight>600</scan:MinHeight><scan:MaxHeight>4200</scan:MaxHeight>
    <scan:SettingProfiles><scan:SettingProfile>
      <scan:ColorModes><scan:ColorMode>BlackAndWhite1</scan:ColorMode><scan:ColorMode>RGB24</scan:ColorMode></scan:ColorModes>
      <scan:DocumentFormats><scan:DocumentFormatExt>image/png</scan:DocumentFormatExt><pwg:DocumentFormat>image/jpeg</pwg:DocumentFormat></scan:DocumentFormats>
      <scan:SupportedResolutions><scan:ResolutionRange><scan:XResolutionRange>
        <scan:Min>75</scan:Min><scan:Max>600</scan:Max><scan:Step>25</scan:Step>
      </scan:XResolutionRange></scan:ResolutionRange></scan:SupportedResolutions>
    </scan:SettingProfile></scan:SettingProfiles>
  </scan:AdfSimplexInputCaps></scan:Adf>
  <scan:BrightnessSupport><scan:Min>0</scan:Min><scan:Max>100</scan:Max><scan:Normal>50</scan:Normal><scan:Step>1</scan:Step></scan:BrightnessSupport>
  <scan:ContrastSupport><scan:Min>0</scan:Min><scan:Max>100</scan:Max><scan:Normal>50</scan:Normal><scan:Step>10</scan:Step></scan:ContrastSupport>
</scan:ScannerCapabilities>)";

ScannerCaps Caps() {
  XmlElement root;
  EXPECT_EQ(Parse(kCapabilities, &root), XmlError::kNone);
  ScannerCaps caps;
  EXPECT_TRUE(ParseCapabilities(root, &caps));
  return caps;
}

AcquireRequest Request(uint16_t pixelType, uint16_t dpi, float left, float top, float right, float bottom) {
  AcquireRequest r = {};
  r.pixelType = pixelType;
  r.resolution = dpi;
  r.frameLeft = left;
  r.frameTop = top;
  r.frameRight = right;
  r.frameBottom = bottom;
  return r;
}
}  // namespace

TEST(XmlReader, ReadsPrefixedElementsTextAndReferences) {
  XmlElement root;
  ASSERT_EQ(Parse("\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><a:r x='1' y=\"&lt;\"><b>  "
                  "t&#x41;&#66;<![CDATA[<z>]]> </b>"
                  "<c/><a:b>second</a:b></a:r>\n",
                  &root),
            XmlError::kNone);
  EXPECT_EQ(root.name, "r");
  ASSERT_EQ(root.children.size(), 3u);
  EXPECT_EQ(root.ChildText("b"), "tAB<z>");  // the first of two
  EXPECT_EQ(root.children[2].text, "second");
  EXPECT_EQ(root.Find({"c"})->children.size(), 0u);
  EXPECT_EQ(root.Find({"c", "d"}), nullptr);
}

TEST(XmlReader, RefusesWhatIsNotWellFormedOrBeyondItsBounds) {
  XmlElement root;
  EXPECT_EQ(Parse("<a><b></a></b>", &root), XmlError::kMismatch);
  EXPECT_EQ(Parse("<p:a></q:a>", &root), XmlError::kMismatch);
  EXPECT_EQ(Parse("<a>", &root), XmlError::kSyntax);
  EXPECT_EQ(Parse("<a/><b/>", &root), XmlError::kSyntax);
  EXPECT_EQ(Parse("text<a/>", &root), XmlError::kSyntax);
  EXPECT_EQ(Parse("<a x=1/>", &root), XmlError::kSyntax);
  EXPECT_EQ(Parse("<a>&bogus;</a>", &root), XmlError::kReference);
  EXPECT_EQ(Parse("<a>&#0;</a>", &root), XmlError::kReference);
  EXPECT_EQ(Parse("<a>&#x110000;</a>", &root), XmlError::kReference);
  EXPECT_EQ(Parse("<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>", &root), XmlError::kDoctype);
  XmlLimits small;
  small.maxDepth = 3;
  small.maxElements = 5;
  small.maxText = 4;
  small.maxBytes = 64;
  EXPECT_EQ(Parse("<a><b><c><d/></c></b></a>", &root, small), XmlError::kTooDeep);
  EXPECT_EQ(Parse("<a><b/><b/><b/><b/><b/></a>", &root, small), XmlError::kTooMany);
  EXPECT_EQ(Parse("<a>12345</a>", &root, small), XmlError::kTooLarge);
  EXPECT_EQ(Parse("<a>" + std::string(64, ' ') + "</a>", &root, small), XmlError::kTooLarge);
}

TEST(Capabilities, ReadsEachSourcesAreaModesFormatsAndResolutions) {
  const ScannerCaps caps = Caps();
  EXPECT_EQ(caps.makeAndModel, "Office & Co MF 42");
  EXPECT_EQ(caps.version, "2.63");
  EXPECT_EQ(caps.platen.maxWidth, 2550);
  EXPECT_EQ(caps.platen.maxHeight, 3508);
  EXPECT_EQ(caps.platen.modes, unsigned(kModeGrey | kModeColour));
  EXPECT_EQ(caps.platen.formats, unsigned(kFormatJpeg));  // PDF is not read
  // 600 x 1200 is left out: the page file has one resolution for both axes.
  EXPECT_EQ(caps.platen.resolutions, (std::vector<int>{100, 300}));
  EXPECT_EQ(caps.feeder.formats, unsigned(kFormatJpeg | kFormatPng));
  EXPECT_EQ(caps.feeder.rangeMin, 75);
  // The least resolution at least as fine as asked (the page is scaled down), else the finest.
  EXPECT_EQ(ScanResolution(caps.platen, 200), 300);
  EXPECT_EQ(ScanResolution(caps.platen, 36), 100);
  EXPECT_EQ(ScanResolution(caps.platen, 1200), 300);
  EXPECT_EQ(ScanResolution(caps.feeder, 110), 125);
  EXPECT_EQ(ScanResolution(caps.feeder, 50), 75);
  EXPECT_EQ(ScanResolution(caps.feeder, 5000), 600);
  EXPECT_TRUE(OffersResolution(caps.feeder, 575));
  EXPECT_FALSE(OffersResolution(caps.feeder, 580));
  EXPECT_TRUE(caps.brightness.Present());

  XmlElement root;
  ASSERT_EQ(
      Parse("<ScannerCapabilities><Platen><PlatenInputCaps><MaxWidth>10</MaxWidth><MaxHeight>10</MaxHeight>"
            "</PlatenInputCaps></Platen></ScannerCapabilities>",
            &root),
      XmlError::kNone);
  ScannerCaps none;
  EXPECT_FALSE(ParseCapabilities(root, &none));  // no mode, format or resolution: nothing to scan with
}

TEST(ScanPlan, FramesBecomeRegionsInThreeHundredthsWithinTheArea) {
  const ScannerCaps caps = Caps();
  NetworkScanPlan plan;
  AcquireRequest r = Request(2, 150, 0.5f, 1.0f, 4.5f, 7.0f);
  ASSERT_EQ(PlanScan(r, caps, false, &plan), PlanError::kNone);
  EXPECT_FALSE(plan.feeder);
  EXPECT_EQ(plan.xOffset, 150);
  EXPECT_EQ(plan.yOffset, 300);
  EXPECT_EQ(plan.width, 1200);
  EXPECT_EQ(plan.height, 1800);
  EXPECT_EQ(plan.resolution, 300);  // the glass has 100 and 300: scanned finer, scaled down
  EXPECT_EQ(plan.pageResolution, 150);
  // Beyond the glass: held within it; centimetres, points and pixels convert.
  r = Request(2, 300, 8.0f, 11.0f, 20.0f, 30.0f);
  PlanScan(r, caps, false, &plan);
  EXPECT_EQ(plan.xOffset + plan.width, 2550);
  EXPECT_EQ(plan.yOffset + plan.height, 3508);
  EXPECT_GE(plan.width, 16);
  EXPECT_EQ(ToThreeHundredths(2.54f, 1, 0), 300);
  EXPECT_EQ(ToThreeHundredths(72.0f, 3, 0), 300);
  EXPECT_EQ(ToThreeHundredths(600.0f, 5, 200), 900);
  EXPECT_EQ(ToThreeHundredths(-1.0f, 0, 0), 0);
  // An empty frame asks for the whole glass.
  r = Request(1, 300, 0, 0, 0, 0);
  PlanScan(r, caps, false, &plan);
  EXPECT_EQ(plan.width, 2550);
  EXPECT_EQ(plan.height, 3508);
}

TEST(ScanPlan, ALoadedFeederScansA4AndModesAndFormatsFallBack) {
  const ScannerCaps caps = Caps();
  NetworkScanPlan plan;
  AcquireRequest r = Request(0, 300, 0, 0, 8.5f, 11.0f);
  ASSERT_EQ(PlanScan(r, caps, true, &plan), PlanError::kNone);
  EXPECT_TRUE(plan.feeder);
  EXPECT_EQ(r.sizeCode, 1);  // as a TWAIN feeder reports
  EXPECT_EQ(plan.width, 2480);
  EXPECT_EQ(plan.height, 3508);
  EXPECT_EQ(plan.mode, unsigned(kModeBlackWhite));
  EXPECT_EQ(plan.format, PageFormat::kPng);  // lossless for line art
  // Line art on the glass, which has no such mode: grey, as JPEG, thresholded into the file.
  r = Request(0, 300, 0, 0, 1, 1);
  PlanScan(r, caps, false, &plan);
  EXPECT_EQ(plan.mode, unsigned(kModeGrey));
  EXPECT_EQ(plan.pagePixelType, 0);
  EXPECT_EQ(plan.format, PageFormat::kJpeg);
  // A scan mode beyond the three (a stored 9) scans grey.
  r = Request(9, 300, 0, 0, 1, 1);
  PlanScan(r, caps, false, &plan);
  EXPECT_EQ(plan.pagePixelType, 1);
  // Levels: -128..128 around the scanner's normal, in its steps.
  r = Request(2, 300, 0, 0, 1, 1);
  r.brightness = 64;
  r.contrast = -128;
  PlanScan(r, caps, false, &plan);
  EXPECT_TRUE(plan.levels);
  EXPECT_EQ(plan.brightness, 75);
  EXPECT_EQ(plan.contrast, 0);

  ScannerCaps pdfOnly = caps;
  pdfOnly.platen.formats = 0;
  EXPECT_EQ(PlanScan(r, pdfOnly, false, &plan), PlanError::kNoFormat);
  ScannerCaps none;
  EXPECT_EQ(PlanScan(r, none, true, &plan), PlanError::kNoSource);
}

TEST(ScanPlan, TheSettingsDocumentReadsBackAsThePlan) {
  NetworkScanPlan plan;
  plan.feeder = true;
  plan.xOffset = 10;
  plan.yOffset = 20;
  plan.width = 2480;
  plan.height = 3508;
  plan.resolution = 300;
  plan.mode = kModeGrey;
  plan.format = PageFormat::kPng;
  plan.version = "2.63";
  const std::string xml = ScanSettingsXml(plan);
  XmlElement root;
  ASSERT_EQ(Parse(xml, &root), XmlError::kNone);
  EXPECT_EQ(root.name, "ScanSettings");
  EXPECT_EQ(root.ChildText("Version"), "2.63");
  EXPECT_EQ(root.ChildText("InputSource"), "Feeder");
  EXPECT_EQ(root.ChildText("ColorMode"), "Grayscale8");
  EXPECT_EQ(root.ChildText("DocumentFormatExt"), "image/png");
  EXPECT_EQ(root.ChildText("XResolution"), "300");
  const XmlElement* region = root.Find({"ScanRegions", "ScanRegion"});
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(region->ChildText("ContentRegionUnits"), "escl:ThreeHundredthsOfInches");
  EXPECT_EQ(region->ChildText("Width"), "2480");
  EXPECT_EQ(region->ChildText("YOffset"), "20");
  EXPECT_EQ(root.Child("Brightness"), nullptr);
}

TEST(ScannerStatus, NamesTheReasonOfARefusal) {
  const char kStatus[] = R"(<scan:ScannerStatus xmlns:scan="s" xmlns:pwg="p"><pwg:State>Idle</pwg:State>
    <scan:AdfState>ScannerAdfJam</scan:AdfState><scan:Jobs>
    <scan:JobInfo><pwg:JobUri>/eSCL/ScanJobs/1</pwg:JobUri><pwg:JobState>Completed</pwg:JobState></scan:JobInfo>
    <scan:JobInfo><pwg:JobUri>http://h/eSCL/ScanJobs/7</pwg:JobUri><pwg:JobState>Aborted</pwg:JobState>
    <pwg:JobStateReasons><pwg:JobStateReason>AbortedBySystem</pwg:JobStateReason></pwg:JobStateReasons></scan:JobInfo>
    </scan:Jobs></scan:ScannerStatus>)";
  XmlElement root;
  ASSERT_EQ(Parse(kStatus, &root), XmlError::kNone);
  ScannerStatus status;
  ASSERT_TRUE(ParseScannerStatus(root, "/eSCL/ScanJobs/7", &status));
  EXPECT_EQ(status.jobState, "Aborted");
  EXPECT_EQ(status.jobReason, "AbortedBySystem");
  EXPECT_EQ(ReasonOf(status, true), ScannerReason::kJammed);
  status.adfState = "ScannerAdfHatchOpen";
  EXPECT_EQ(ReasonOf(status, true), ScannerReason::kCoverOpen);
  status.adfState = "ScannerAdfEmpty";
  EXPECT_EQ(ReasonOf(status, true), ScannerReason::kFeederEmpty);
  EXPECT_EQ(ReasonOf(status, false), ScannerReason::kNone);  // the glass needs no paper in the feeder
  status.state = "Processing";
  EXPECT_EQ(ReasonOf(status, false), ScannerReason::kBusy);
  status.state = "Down";
  EXPECT_EQ(ReasonOf(status, false), ScannerReason::kDown);
}

TEST(PageRows, ColourGreyAndLineArtRowsWithZeroPadding) {
  const uint8_t bgr[] = {0, 0, 255, 255, 255, 255, 10, 10, 10};  // red, white, near black
  uint8_t row[12];
  ConvertPageRow(bgr, 3, 2, row, sizeof(row));
  EXPECT_EQ(std::vector<uint8_t>(row, row + 12),
            (std::vector<uint8_t>{0, 0, 255, 255, 255, 255, 10, 10, 10, 0, 0, 0}));
  ConvertPageRow(bgr, 3, 1, row, 4);
  EXPECT_EQ(std::vector<uint8_t>(row, row + 4), (std::vector<uint8_t>{76, 255, 10, 0}));
  ConvertPageRow(bgr, 3, 0, row, 4);
  EXPECT_EQ(row[0], 0x40);  // only the white pixel is set
  EXPECT_TRUE(PageWithinArea(2550, 3508, 300, 2550, 3508));
  EXPECT_FALSE(PageWithinArea(2600, 3508, 300, 2550, 3508));
  EXPECT_EQ(MaxPageBytes(300, 300, 100), 100u * 100 * 3 + (1u << 20));
}
