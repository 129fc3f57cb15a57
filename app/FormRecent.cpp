// The recent-folder list ("Recent1" to "Recent5") hangs here. It is not built yet: the batch
// commands call AddFolderToRecent at the moment the list must learn the folder, and the menu
// stays disabled.
#include "app/MainForm.h"

namespace pixtrel {

void TForm1::AddFolderToRecent() {}

void TForm1::NaloziRecent() {}

}  // namespace pixtrel
