# The USB slave, codes, summary and finish pages, and the alphanumeric edit.
brindle_add_test(tst_editalnum SOURCES tst_editalnum.cpp LIBS brindle_ui)
brindle_add_test(tst_tabusbslave SOURCES tst_tabusbslave.cpp recorder.h pages2fixture.h LIBS brindle_ui)
brindle_add_test(tst_tabcode SOURCES tst_tabcode.cpp recorder.h pages2fixture.h LIBS brindle_ui)
brindle_add_test(tst_tabsummary SOURCES tst_tabsummary.cpp recorder.h pages2fixture.h LIBS brindle_ui)
brindle_add_test(tst_tabfinish SOURCES tst_tabfinish.cpp recorder.h pages2fixture.h LIBS brindle_ui)
