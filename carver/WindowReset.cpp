#include "WindowReset.h"

#include "SizeTable.h"

namespace modCarver {

void ResetWindow(CarverForm& form)
{
    form.TurnSizeOptionOn(kDefaultSizeOption);
    form.SetFileBoxText("");
    form.SetSizeBoxText("");
    form.SetFolderBoxText("");
    form.SetOptionChecks(false, false, false);
}

}  // namespace modCarver
