// COrvaneView: the print entry of Copy and Fax jobs.
#include "app/OrvaneApp.h"
#include "app/OrvaneView.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

void COrvaneView::PrintJobImage(int copyMode) {
  COrvaneApp& app = App();
  CPrintJob job;
  job.copyMode = copyMode;
  job.imagePath = app.m_imagePath;
  job.imageFileName = app.m_imageFileName;
  job.settingsPath = app.m_settingsPath;
  job.appTitle = LoadResourceString(app.m_hInstance, IDS_APP_TITLE);
  job.texts.cancel = LoadResourceString(app.m_hInstance, IDS_PRINT_CANCEL);
  job.texts.on = LoadResourceString(app.m_hInstance, IDS_PRINT_ON);
  job.texts.page = LoadResourceString(app.m_hInstance, IDS_PRINT_PAGE);
  job.texts.loading = LoadResourceString(app.m_hInstance, IDS_PRINT_LOADING);
  job.texts.sending = LoadResourceString(app.m_hInstance, IDS_PRINT_SENDING);
  job.texts.loadFailed = app.LoadLocalString(IDS_BITMAP_LOAD_FAILED);
  job.texts.notAvailable = app.LoadLocalString(IDS_PRINTER_NOT_AVAILABLE);
  job.texts.printFailed = app.LoadLocalString(IDS_PRINT_FAILED);
  PrintJob(job);
}
