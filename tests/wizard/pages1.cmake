# The file, UART settings, initialisation and firmware options pages.
brindle_add_test(tst_tabfile SOURCES tst_tabfile.cpp recorder.h pages2fixture.h LIBS brindle_ui)
brindle_add_test(tst_tabbaudrate SOURCES tst_tabbaudrate.cpp recorder.h pages2fixture.h LIBS brindle_ui)
brindle_add_test(tst_tabinit SOURCES tst_tabinit.cpp recorder.h pages2fixture.h LIBS brindle_ui)
brindle_add_test(tst_tabprompt SOURCES tst_tabprompt.cpp recorder.h pages2fixture.h LIBS brindle_ui)
