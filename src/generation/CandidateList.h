// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/QuestionRecord.h"

#include <vector>

// The records that passed the filter, in bank order, with their topic codes as numbers.
struct Candidate {
    const QuestionRecord *record;
    int topicCode;
};
using CandidateList = std::vector<Candidate>;
