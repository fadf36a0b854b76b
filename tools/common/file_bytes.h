// Whole files in and out of memory, for the command-line tools. Failures throw
// std::runtime_error with a message that names the file and the reason.
#pragma once

#include <string>
#include <vector>

std::vector<unsigned char> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
