#pragma once

#include <QString>

// The device address with its last part replaced by n, so that each searchlight on the TCP link
// is reached at the address that ends in its device number. Parts that are missing or not a
// whole number 0-255 count as 0, and only the first four parts are read.
QString replaceHostPart(const QString &address, int n);
