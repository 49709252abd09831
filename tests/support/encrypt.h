// Builds an encrypted copy of a database image, as Access's "encrypt
// database" option stores it: the database key written into the masked
// header block, every page but page 0 RC4-encrypted with that key XOR the
// page number.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

std::string encryptImage(std::string image, std::uint32_t key);

}  // namespace testing_support
