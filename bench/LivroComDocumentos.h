#pragma once
// The shared book with varied documents, in a file of its own: each posting
// carries "NF" and a six-digit number that six postings share, so that a
// search by document finds a handful of postings as it does in a real book.
#include "BenchBook.h"

namespace benchsupport {

BenchBook &bookWithDocuments(int postings);

// The number of postings that share each document.
constexpr int kPostingsPerDocument = 6;

} // namespace benchsupport
