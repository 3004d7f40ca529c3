#pragma once
// The shared book with varied documents, in a file of its own: each posting
// carries "NF" and a six-digit number that six postings share, so that a
// search by document finds a handful of postings as it does in a real book.
// Two layouts: the postings stored in the order they were generated (dates
// at random, so a year's postings lie all over the file) or in date order,
// as a book typed day after day keeps them.
#include "BenchBook.h"

namespace benchsupport {

enum class Arrumacao { Aleatoria, Cronologica };

BenchBook &bookWithDocuments(int postings, Arrumacao arrumacao = Arrumacao::Aleatoria);

// The number of postings that share each document.
constexpr int kPostingsPerDocument = 6;

} // namespace benchsupport
