// Writing cases in the test-vector format that the regression mode reads (checker/test_vectors.h):
// the cases that the record mode and the fuzz mode's saved failures make.
#pragma once

#include <string>
#include <vector>

#include "checker/test_vectors.h"

// One case as test-vector text (UTF-8), after its comment lines. `bench` holds the key, the
// requested length and the expected lines as the bench has them (Shift-JIS; the lines as shown),
// the name and the list path in UTF-8. A key that no line of text gives back byte for byte is
// written as key-bytes. False, with `problem` (UTF-8), when the requested length or a line cannot
// be written so that the regression mode reads back the same bytes.
bool FormatVectorCase(const TestVector& bench, const std::vector<std::string>& comments,
                      std::string& text, std::string& problem);

// The path of `file` relative to the folder of `vectorFile`, as the vector's list field takes it;
// the full path when the two lie on different drives or a path cannot be made full.
std::string ListPathFrom(const std::string& vectorFile, const std::string& file);
