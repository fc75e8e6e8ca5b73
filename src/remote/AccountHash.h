#pragma once

#include "framework/CString.h"

#include <string>

// MD5 of the account name's ANSI bytes as 32 lowercase hexadecimal digits; "" when the platform's
// cryptography cannot give it (the caller then leaves the parameter empty).
std::string AccountHash(const CString& accountName);
