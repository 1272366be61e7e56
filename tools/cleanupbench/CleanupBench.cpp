// The page clean-up's benchmark (not a test), one figure per line as "name: value unit":
// documents drawn by the virtual scanner's scene at known angles (letters, receipts, photos)
// straightened as the scan job does, with the angle left and the glass left at the edges;
// the time of the straightening beside the scene's own time to make the same scan; the blank
// page decisions on a labelled set; and, for the OCR figures of scripts/bench-cleanup, a text
// page at 4 degrees as a feeder page, deskewed, written into the folder given.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/output/imaging/BandRotation.h"
#include "app/output/imaging/BlankPage.h"
#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/GreyCells.h"
#include "app/output/imaging/LittleEndian.h"
#include "app/output/imaging/PageCleanup.h"
#include "tools/vscanner/Scene.h"

namespace {

const double kPi = 3.14159265358979323846;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Writes the scene over `window` as a 24-bit bitmap file; the seconds the scene took.
double WriteScan(const std::string& path, CScene& scene, const ScanWindow& window) {
  const uint32_t w = static_cast<uint32_t>(window.width), h = static_cast<uint32_t>(window.height);
  const size_t rowBytes = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> file(54 + rowBytes * h);
  file[0] = 'B', file[1] = 'M';
  WriteLe32(&file[2], static_cast<uint32_t>(file.size()));
  WriteLe32(&file[10], 54);
  DibLayout layout;
  layout.width = w, layout.height = h, layout.bitsPerPixel = 24, layout.imageBytes = rowBytes * h;
  layout.xPelsPerMeter = layout.yPelsPerMeter = PelsPerMeterFromDpi(static_cast<int>(window.dpiX));
  WriteInfoHeader(&file[14], layout);
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * 3);
  double seconds = 0;
  for (uint32_t y = 0; y < h; ++y) {
    const Clock::time_point start = Clock::now();
    scene.RenderRow(static_cast<int32_t>(y), rgb.data());
    seconds += Seconds(start);
    uint8_t* row = &file[54 + (h - 1 - y) * rowBytes];
    for (uint32_t x = 0; x < w; ++x)
      row[3 * x] = rgb[3 * x + 2], row[3 * x + 1] = rgb[3 * x + 1], row[3 * x + 2] = rgb[3 * x];
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return seconds;
}

// Pixels of the page's outer two rows and columns whose centre falls outside the document
// as it truly lies on the glass (ground truth, not a look at the pixels: ink at a receipt's
// edge is as dark as the glass).
int GlassAtEdges(const CleanupFigures& figures, const DocumentPlacement& doc, const ScanWindow& window) {
  const double c = std::cos(doc.degrees * kPi / 180), s = std::sin(doc.degrees * kPi / 180);
  const double cx = doc.left + doc.width / 2, cy = doc.top + doc.height / 2;
  int glass = 0;
  for (uint32_t y = 0; y < figures.height; ++y)
    for (uint32_t x = 0; x < figures.width; ++x) {
      if (x > 1 && y > 1 && x + 2 < figures.width && y + 2 < figures.height) continue;
      double sx, sy;
      CBandRotation::SourcePoint(figures.box, figures.width, figures.height, x, y, sx, sy);
      const double dx = window.left + sx / window.dpiX - cx, dy = window.top + sy / window.dpiY - cy;
      const double u = dx * c + dy * s, v = -dx * s + dy * c;
      if (std::fabs(u) > doc.width / 2 || std::fabs(v) > doc.height / 2) ++glass;
    }
  return glass;
}

struct Kind {
  const char* name;
  double width, height;
  bool photo;
  double goal;
};

void Angles(const std::string& folder) {
  const Kind kinds[] = {
      {"letter", 7.0, 9.2, false, 0.1}, {"receipt", 3.2, 8.0, false, 0.1}, {"photo", 6.0, 4.0, true, 0.2}};
  const double angles[] = {-15, -8, -4, -2, -0.5, 0.5, 2, 4, 8, 15};
  const int dpi = 300;
  for (const Kind& kind : kinds) {
    double worst = 0, sum = 0;
    int glass = 0, failed = 0;
    for (double degrees : angles) {
      DocumentPlacement doc;
      doc.width = kind.width, doc.height = kind.height, doc.photo = kind.photo, doc.degrees = degrees;
      const double c = std::fabs(std::cos(degrees * kPi / 180)), s = std::fabs(std::sin(degrees * kPi / 180));
      const double boxW = kind.width * c + kind.height * s, boxH = kind.width * s + kind.height * c;
      // The frame the job asks for: the document's upright box and about two prescan pixels.
      const double margin = 0.08;
      doc.left = 0.5 + (boxW - kind.width) / 2 + margin;
      doc.top = 0.5 + (boxH - kind.height) / 2 + margin;
      ScanWindow window;
      window.dpiX = window.dpiY = dpi;
      window.left = 0.5;
      window.top = 0.5;
      window.width = static_cast<int32_t>(std::lround((boxW + 2 * margin) * dpi));
      window.height = static_cast<int32_t>(std::lround((boxH + 2 * margin) * dpi));
      CScene scene({doc}, window);
      const std::string in = folder + "/scan.bmp", out = folder + "/straight.bmp";
      const double scanSeconds = WriteScan(in, scene, window);
      CleanupFigures figures;
      const Clock::time_point start = Clock::now();
      const CleanupOutcome outcome = StraightenScan(in, out, figures);
      const double straightenSeconds = Seconds(start);
      if (outcome != CleanupOutcome::kWritten) {
        ++failed;
        continue;
      }
      const double residual = std::fabs(figures.box.degrees - degrees);
      worst = std::max(worst, residual);
      sum += residual;
      const int left = GlassAtEdges(figures, doc, window);
      if (left > 0 && std::getenv("CLEANUP_BENCH_DETAIL"))
        std::printf("  %s at %.1f: %d glass pixels, box %.1f x %.1f at %.3f\n", kind.name, degrees, left,
                    figures.box.width, figures.box.height, figures.box.degrees);
      glass += left;
      if (kind.photo == false && kind.width > 5 && degrees == 4) {
        std::printf("cleanup_straighten_300dpi_letter_4deg: %.3f s\n", straightenSeconds);
        std::printf("cleanup_scan_300dpi_letter_4deg (the scene drawing the same scan): %.3f s\n",
                    scanSeconds);
        std::printf("cleanup_straighten_share_of_scan: %.1f %%\n", 100 * straightenSeconds / scanSeconds);
        std::printf("cleanup_band_memory_300dpi_letter_4deg: %.1f MB\n", figures.heldBytes / 1048576.0);
      }
    }
    std::printf("cleanup_residual_angle_%s_worst: %.3f degrees (goal %.1f; %zu angles 0.5 to 15 both ways)\n",
                kind.name, worst, kind.goal, sizeof(angles) / sizeof(angles[0]));
    std::printf("cleanup_residual_angle_%s_mean: %.3f degrees\n", kind.name, sum / (10 - failed));
    std::printf("cleanup_glass_pixels_at_edges_%s: %d (goal 0)\n", kind.name, glass);
    if (failed) std::printf("cleanup_not_straightened_%s: %d\n", kind.name, failed);
  }
  // The bands for the largest page the job meets: 1200 dpi colour Letter at 10 degrees, as
  // CBandRotation sizes them for the scan of its turned box (no rows are read).
  const double s10 = std::sin(10 * kPi / 180), c10 = std::cos(10 * kPi / 180);
  const uint32_t scanWidth = static_cast<uint32_t>(std::ceil((8.5 * c10 + 11 * s10) * 1200));
  const uint32_t scanHeight = static_cast<uint32_t>(std::ceil((8.5 * s10 + 11 * c10) * 1200));
  struct NoRows final : public CPageRows {
    const uint8_t* Next() override { return nullptr; }
  } none;
  const uint8_t white[3] = {255, 255, 255};
  const TurnedBox letter{scanWidth / 2.0, scanHeight / 2.0, 10200, 13200, 10};
  CBandRotation whole(none, scanWidth, scanHeight, letter, 10200, 13200, white, 1);
  CBandRotation strips(none, scanWidth, scanHeight, letter, 10200, 13200, white);
  if (whole.Begin() && strips.Begin()) {
    std::printf(
        "cleanup_band_memory_1200dpi_letter_10deg: %.1f MB (goal under 48; one band of whole rows %.1f MB)\n",
        strips.HeldBytes() / 1048576.0, whole.HeldBytes() / 1048576.0);
  }
}

// The labelled blank set at 200 dpi: 20 pages of each kind.
void BlankSet() {
  const uint32_t w = 1700, h = 2200;
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0, 5);
  std::uniform_real_distribution<double> where(0.15, 0.8);
  struct Label {
    const char* name;
    bool blank;
  };
  const Label labels[] = {{"blank", true},
                          {"blank_noise_show_through", true},
                          {"one_short_line", false},
                          {"signature_only", false},
                          {"light_pencil", false}};
  std::printf("cleanup_blank_confusion: kind, left out, kept (20 pages each, 200 dpi)\n");
  int blankLeftOut = 0, blankPages = 0, contentLeftOut = 0;
  for (int k = 0; k < 5; ++k) {
    int leftOut = 0;
    for (int n = 0; n < 20; ++n) {
      const double ax = where(random) * w, ay = where(random) * h, paper = 232 + random() % 16;
      std::function<int(double, double)> mark;
      switch (k) {
        case 1:  // text of the back, faint and blurred, and dust
          mark = [&](double x, double y) {
            return (std::fmod(y, 44) < 14 && std::fmod(x, 9) < 5 && x > 150 && x < 1550 && y > 200 &&
                    y < 2000)
                       ? static_cast<int>(paper - 9)
                       : -1;
          };
          break;
        case 2:  // "Page 2" at 10 points
          mark = [&](double x, double y) {
            return (x > ax && x < ax + 80 && y > ay && y < ay + 18 && std::fmod(x - ax, 10) < 2.5) ? 30 : -1;
          };
          break;
        case 3:  // a thin wavy stroke
          mark = [&](double x, double y) {
            return (x > ax && x < ax + 260 && std::fabs(y - (ay + 20 * std::sin((x - ax) / 11))) < 1.2) ? 70
                                                                                                        : -1;
          };
          break;
        case 4:  // faint pencil, a pixel and a half wide
          mark = [&](double x, double y) {
            return (x > ax && x < ax + 200 && std::fabs(y - ay) < 0.8) ? 185 : -1;
          };
          break;
        default:
          mark = [](double, double) { return -1; };
      }
      CGreyCells cells;
      cells.Begin(w, h, 1, BlankCellSide(200));
      std::vector<uint8_t> row(w);
      for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
          int level = static_cast<int>(paper + noise(random));
          const int m = mark(x, y);
          if (m >= 0) level = std::min(level, m + static_cast<int>(noise(random)));
          if (k == 1 && random() % 30000 == 0) level = 60;
          row[x] = static_cast<uint8_t>(std::clamp(level, 0, 255));
        }
        cells.AddRow(row.data());
      }
      if (MeasureBlank(cells).blank) ++leftOut;
    }
    std::printf("cleanup_blank_%s: %d, %d\n", labels[k].name, leftOut, 20 - leftOut);
    if (labels[k].blank)
      blankLeftOut += leftOut, blankPages += 20;
    else
      contentLeftOut += leftOut;
  }
  std::printf("cleanup_blank_left_out_share: %.0f %% (goal at least 95)\n",
              100.0 * blankLeftOut / blankPages);
  std::printf("cleanup_content_pages_left_out: %d (goal 0)\n", contentLeftOut);
}

// The virtual scanner's text page as a feeder page (no glass) at 4 degrees and straight, and
// the 4-degree page deskewed, for the OCR figures.
void DeskewPages(const std::string& folder) {
  for (double degrees : {0.0, 4.0}) {
    DocumentPlacement doc;
    doc.left = doc.top = -0.3;  // the sheet fills the frame
    doc.width = 9.1, doc.height = 11.6, doc.degrees = degrees;
    ScanWindow window;
    window.dpiX = window.dpiY = 300;
    window.width = 2550, window.height = 3300;
    CScene scene({doc}, window);
    const std::string name = folder + (degrees == 0 ? "/straight_page.bmp" : "/skewed_page.bmp");
    WriteScan(name, scene, window);
    if (degrees == 0) continue;
    CleanupFigures figures;
    const CleanupOutcome outcome = DeskewScan(name, folder + "/deskewed_page.bmp", figures);
    std::printf("cleanup_deskew_measured: %.2f degrees (the page at 4, %s)\n", figures.skew.degrees,
                outcome == CleanupOutcome::kWritten ? "deskewed" : "left as it was");
  }
}

// A scan of `docs` over `window` (inches from the glass's corner) at 150 dpi.
ScanWindow Window(double left, double top, double width, double height) {
  ScanWindow window;
  window.dpiX = window.dpiY = 150;
  window.left = left, window.top = top;
  window.width = static_cast<int32_t>(std::lround(width * 150));
  window.height = static_cast<int32_t>(std::lround(height * 150));
  return window;
}

DocumentPlacement Placed(double left, double top, double width, double height, double degrees) {
  DocumentPlacement doc;
  doc.left = left, doc.top = top, doc.width = width, doc.height = height, doc.degrees = degrees;
  return doc;
}

// The before and after of each clean-up, as bitmap files for scripts/straight-pictures.
void Pictures(const std::string& folder) {
  CleanupFigures figures;
  {  // a letter at 4 degrees, found by Auto: its box and some glass
    CScene scene({Placed(0.8, 0.8, 6.5, 9, 4)}, Window(0.3, 0.3, 7.7, 9.9));
    WriteScan(folder + "/letter_before.bmp", scene, Window(0.3, 0.3, 7.7, 9.9));
    StraightenScan(folder + "/letter_before.bmp", folder + "/letter_after.bmp", figures);
  }
  {  // two documents on the glass, each scanned in its own box and straightened
    const std::vector<DocumentPlacement> docs = {Placed(0.6, 0.7, 3.4, 4.6, -6),
                                                 Placed(4.6, 1.2, 3.2, 2.4, 8)};
    CScene glass(docs, Window(0, 0, 8.5, 6));
    WriteScan(folder + "/two_before.bmp", glass, Window(0, 0, 8.5, 6));
    const ScanWindow boxes[2] = {Window(0.25, 0.4, 4.2, 5.3), Window(4.25, 0.55, 3.9, 3.5)};
    for (int i = 0; i < 2; ++i) {
      CScene scene({docs[static_cast<size_t>(i)]}, boxes[i]);
      const std::string in = folder + "/two_scan.bmp";
      WriteScan(in, scene, boxes[i]);
      StraightenScan(in, folder + "/two_after_" + std::to_string(i + 1) + ".bmp", figures);
      std::remove(in.c_str());
    }
  }
  {  // a feeder page pulled in at 3 degrees, deskewed
    CScene scene({Placed(-0.3, -0.3, 9.1, 11.6, 3)}, Window(0, 0, 8.5, 11));
    WriteScan(folder + "/feeder_before.bmp", scene, Window(0, 0, 8.5, 11));
    DeskewScan(folder + "/feeder_before.bmp", folder + "/feeder_after.bmp", figures);
  }
  {  // a blank back, and one with a faint pencil stroke: whether each is left out
    DocumentPlacement doc = Placed(-0.3, -0.3, 9.1, 11.6, 0);
    doc.blank = true;
    CScene scene({doc}, Window(0, 0, 8.5, 11));
    WriteScan(folder + "/blank.bmp", scene, Window(0, 0, 8.5, 11));
    CScene pencilled({doc}, Window(0, 0, 8.5, 11));
    WriteScan(folder + "/pencil.bmp", pencilled, Window(0, 0, 8.5, 11));
    {  // the stroke: 300 pixels long, a pixel wide, grey 185, a third down the page
      std::fstream file(folder + "/pencil.bmp", std::ios::in | std::ios::out | std::ios::binary);
      const size_t rowBytes = (1275 * 3 + 3) / 4 * 4;
      std::vector<char> run(900, static_cast<char>(185));
      file.seekp(static_cast<std::streamoff>(54 + rowBytes * (1650 - 1 - 560) + 3 * 400));
      file.write(run.data(), static_cast<std::streamsize>(run.size()));
    }
    for (const char* name : {"blank", "pencil"}) {
      BlankMeasure measure;
      MeasureBlankScan(folder + "/" + name + ".bmp", measure);
      std::printf("%s: %s\n", name, measure.blank ? "left out" : "kept");
    }
  }
  {  // an OCR page fed upside down (the engine turns it upright before reading it)
    DocumentPlacement doc = Placed(-0.3, -0.3, 9.1, 11.6, 0);
    doc.upsideDown = true;
    CScene scene({doc}, Window(0, 0, 8.5, 11));
    WriteScan(folder + "/upside_before.bmp", scene, Window(0, 0, 8.5, 11));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--pictures") {
    Pictures(argv[2]);
    return 0;
  }
  const std::string folder = argc > 1 ? argv[1] : ".";
  Angles(folder);
  BlankSet();
  DeskewPages(folder);
  return 0;
}
