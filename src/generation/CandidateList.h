// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/QuestionBank.h"

#include <vector>

// The bank's entries that passed the filter, in bank order.
struct Candidate {
    const BankEntry *record;
};
using CandidateList = std::vector<Candidate>;
