#pragma once

// A loopback port on which nothing listens: bound once to learn a free one, then released, so a
// connection to it is refused at once.
unsigned short UnusedLoopbackPort();
