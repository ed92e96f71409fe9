// The four reference attitudes, built at selection and at each refresh.
#pragma once

class GyrelleMFD;

void captureUserReference(GyrelleMFD& mfd);    // mode 1: the vessel's own orientation
void refreshUserReference(GyrelleMFD& mfd);    // mode-1 refresh: deviation only
void buildVelocityReference(GyrelleMFD& mfd);  // mode 2
void updateTargetRelative(GyrelleMFD& mfd);    // mode 3
void buildEntryReference(GyrelleMFD& mfd);     // mode 4
// The refresh computation of the current refMode (any other value runs nothing).
void refreshReference(GyrelleMFD& mfd);
// The entry computation of a newly selected mode (1..4).
void enterReferenceMode(GyrelleMFD& mfd, int mode);
