#pragma once

// Makes the pictures compiled into the gui library reachable under ":/" (for example
// ":/weather/sunny_177.svg"). The library is static, so a program or test that loads pictures
// calls this once before the first one.
void initPictures();
