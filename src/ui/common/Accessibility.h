#pragma once

// Screen readers name an editable combo box by what is typed into it; ours
// keep their caption as the name, report the text as the value, and hold
// their drop-down list and edit line as children.
void InstallAccessibility();
