// Frame composition of the play field.
#pragma once

extern bool SurfacesLost;

void DrawFrame();
bool DisplayIsReady();
