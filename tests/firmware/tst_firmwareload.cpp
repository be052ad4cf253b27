#include <QtTest>
#include "common/imagebuilder.h"
#include "firmwarerecord.h"
class T : public QObject { Q_OBJECT private slots: void smoke() {} };
QTEST_GUILESS_MAIN(T)
#include "tst_firmwareload.moc"
