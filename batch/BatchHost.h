#pragma once
// What a batch needs from its surroundings: the selection, the option controls (read at the
// moments the commands read them, so a window can hand over live values) and the window hooks.
// The defaults are those of a headless run.
#include <string>

#include "batch/SaveMode.h"
#include "formats/ImageFormat.h"
#include "imaging/ResizeMethod.h"

namespace pixtrel {

// The rotate command's choices, in the order they are offered.
enum class TurnChoice { Right = 0, Left = 1, UpsideDown = 2 };

class BatchHost {
 public:
  virtual ~BatchHost() = default;

  // The list: item count, and per item its selected flag and bare name, read when the walk
  // reaches the item.
  virtual int itemCount() = 0;
  virtual bool itemSelected(int index) = 0;
  virtual std::string itemName(int index) = 0;
  virtual int selectedCount() = 0;

  // Options.
  virtual SaveMode saveMode() = 0;
  virtual bool keepDate() = 0;
  virtual int saveQuality() = 0;          // JPEG quality for resize, rotate and greyscale (0..100)
  virtual int qualityCommandValue() = 0;  // the JPEG quality command's own quality (0..100)
  virtual std::string pixelText(ImageFormat format) = 0;
  virtual ResizeMethod resizeMethod(ImageFormat format) = 0;
  virtual TurnChoice turnChoice() = 0;

  // Hooks.
  virtual bool confirmOverwrite() { return false; }
  virtual void recordFolder() {}
  virtual void showProgress(int /*maximum*/) {}
  virtual void advanceProgress() {}
  virtual void hideProgress() {}
  virtual void pumpEvents() {}
  virtual void refresh() {}
  // Polled between files: true ends the batch after the file in hand.
  virtual bool stopRequested() { return false; }

  // True when the options and the selection never change during a run, and the option getters
  // may be called from another thread: the batch then prepares the next file's output while the
  // current one is finished, and writes every file in order all the same.
  virtual bool optionsFixed() { return false; }
};

}  // namespace pixtrel
