#pragma once

class QCoreApplication;

// Qt's own dialogs (files, colours, print preview) in Chinese like the rest.
// Before the application object exists: dates in the file dialogs follow the
// system locale's time category.
void PrepareChineseTimes();
// Then: the Chinese locale for dates and numbers, Qt's Chinese translation,
// and the few words that translation lacks.
void UseChineseForQt(QCoreApplication& app);
