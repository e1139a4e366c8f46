#include <QTest>
class SearchCommandsTest : public QObject {
  Q_OBJECT
};
QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
