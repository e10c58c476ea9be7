#pragma once

// Screen readers name an editable combo box by what is typed into it; ours
// keep their caption as the name and report the text as the value.
void InstallAccessibility();
