// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the forty topic slots sit in the windows' grids: the main window's checkboxes and the editor's
// option buttons keep the object names of the original forms (Check1 .. Check43, with gaps where other
// controls took a number), and only the windows look a slot up by that name.
namespace topicgrid {

// Object name of the control for slot k (1..40), e.g. slot 18 is "Check20".
QString controlName(int slot);
// Slot of a control number (Check1..Check43 in the grid), or 0 when the control is no topic slot.
int slotOfControl(int checkNumber);

} // namespace topicgrid
