// The OCR engine's exit codes: 0 when it delivered the text or found none to deliver; any
// other value tells the program that started it that the recognition failed.
#pragma once

enum EngineExit {
  kExitDone = 0,
  kExitNoImage = 1,            // started without an image path
  kExitNoRecogniser = 2,       // the recognition program is missing or cannot be started
  kExitRecognitionFailed = 3,  // it failed on the image or took too long
  kExitDeliveryFailed = 4,     // the text could not be saved or pasted
};
