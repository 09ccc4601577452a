// SPDX-License-Identifier: GPL-3.0-or-later
// A CSV file of questions as a teacher's spreadsheet may export it: encodings, byte-order marks, quoting,
// headers in either language, and every row's check, before anything is appended.
#include "editor/QuestionImport.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    (void)questionimport::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
