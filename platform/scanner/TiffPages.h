#pragma once

#include "scanner/Page.h"

#include <string>
#include <vector>

// Every page of a TIFF file. Throws std::runtime_error with libtiff's message when the file
// cannot be read.
std::vector<Page> readTiffPages(const std::string& path);

// Writes the page as a TIFF file: CCITT Group 4 for bilevel pages, LZW otherwise. With append,
// the page is added to the file's pages instead of replacing the file. Throws std::runtime_error.
void writeTiffPage(const std::string& path, const Page& page, bool append);
