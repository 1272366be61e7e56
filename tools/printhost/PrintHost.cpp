// printhost: runs one print job of the program's view outside the program, for tests and the
// benchmark: a hidden frame with the job-printing view, the job's texts from Orvane.exe (and a
// language library), and the result on stdout. With --caps it prints a printer's metrics.
//   printhost --copy|--fax --settings INI --image FILE [--strings EXE] [--language DLL]
//   printhost --caps PRINTER
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/output/JobPrintView.h"
#include "framework/Module.h"
#include "framework/WinApp.h"

namespace {

const UINT kAppTitle = 57344;
const UINT kCancel = 6009, kOn = 6010, kPage = 6011, kLoading = 6012, kSending = 6014;
const UINT kLoadFailed = 57356, kNotAvailable = 57370, kPrintFailed = 57371;

struct Options {
  int copyMode = -1;
  const char* settings = nullptr;
  const char* image = nullptr;
  const char* strings = nullptr;
  const char* language = nullptr;
  const char* caps = nullptr;
};

bool Parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (strcmp(arg, "--copy") == 0) {
      options->copyMode = 1;
    } else if (strcmp(arg, "--fax") == 0) {
      options->copyMode = 0;
    } else if (hasValue && strcmp(arg, "--settings") == 0) {
      options->settings = argv[++i];
    } else if (hasValue && strcmp(arg, "--image") == 0) {
      options->image = argv[++i];
    } else if (hasValue && strcmp(arg, "--strings") == 0) {
      options->strings = argv[++i];
    } else if (hasValue && strcmp(arg, "--language") == 0) {
      options->language = argv[++i];
    } else if (hasValue && strcmp(arg, "--caps") == 0) {
      options->caps = argv[++i];
    } else {
      return false;
    }
  }
  return options->caps || (options->copyMode >= 0 && options->settings && options->image);
}

int PrintCaps(const char* printer) {
  CDeviceContext dc(CreateDCA(nullptr, printer, nullptr, nullptr));
  if (!dc) {
    printf("CAPS none\n");
    return 1;
  }
  const int caps[] = {HORZRES,       VERTRES,        LOGPIXELSX,      LOGPIXELSY,
                      PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX, PHYSICALOFFSETY};
  const char* names[] = {"horzres", "vertres", "logx", "logy", "width", "height", "offx", "offy"};
  printf("CAPS");
  for (size_t i = 0; i < sizeof(caps) / sizeof(caps[0]); ++i)
    printf(" %s=%d", names[i], GetDeviceCaps(dc.Get(), caps[i]));
  printf("\n");
  return 0;
}

// The program's own string, or the language library's when it has one.
CString Text(HINSTANCE program, HINSTANCE language, UINT id) {
  const CString local = language ? LoadResourceString(language, id) : CString();
  return local.IsEmpty() ? LoadResourceString(program, id) : local;
}

CPrintJob JobOf(const Options& options, HINSTANCE program, HINSTANCE language) {
  CPrintJob job;
  job.copyMode = options.copyMode;
  job.settingsPath = options.settings;
  job.imagePath = options.image;
  const char* slash = strrchr(options.image, '\\');
  job.imageFileName = slash ? slash + 1 : options.image;
  job.appTitle = Text(program, nullptr, kAppTitle);
  job.texts.cancel = Text(program, nullptr, kCancel);
  job.texts.on = Text(program, nullptr, kOn);
  job.texts.page = Text(program, nullptr, kPage);
  job.texts.loading = Text(program, nullptr, kLoading);
  job.texts.sending = Text(program, nullptr, kSending);
  job.texts.loadFailed = Text(program, language, kLoadFailed);
  job.texts.notAvailable = Text(program, language, kNotAvailable);
  job.texts.printFailed = Text(program, language, kPrintFailed);
  return job;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, &options)) {
    fprintf(stderr,
            "usage: printhost --copy|--fax --settings INI --image FILE [--strings EXE] [--language DLL]\n"
            "       printhost --caps PRINTER\n");
    return 2;
  }
  if (options.caps) return PrintCaps(options.caps);

  CModule program(options.strings ? LoadLibraryExA(options.strings, nullptr, LOAD_LIBRARY_AS_DATAFILE)
                                  : nullptr);
  CModule language(options.language ? LoadLibraryExA(options.language, nullptr, LOAD_LIBRARY_AS_DATAFILE)
                                    : nullptr);
  CWinApp app;
  app.m_hInstance = GetModuleHandleA(nullptr);
  const CScanImage::CSession imaging;
  int result = 0;
  {
    CSingleDocTemplate documents(
        0, []() { return new CDocument; }, []() { return new CFrameWnd; },
        []() -> CView* { return new CJobPrintView; });
    CFrameWnd* frame = documents.OpenNewDocument("printhost");
    if (!frame) return 3;
    frame->ShowWindow(SW_HIDE);
    app.m_pMainWnd = frame;
    auto* view = static_cast<CJobPrintView*>(frame->GetActiveView());
    result = view->PrintJob(JobOf(options, program.Get(), language.Get()));
    printf("RESULT %d\n", result);
  }
  return result;
}
