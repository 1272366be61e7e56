# Platform-free sources of the mail library (no windows.h): the native tests build exactly these.
set(MAIL_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/mail/AddressBook.cpp
  ${CMAKE_SOURCE_DIR}/mail/Base64.cpp
  ${CMAKE_SOURCE_DIR}/mail/MailJob.cpp
  ${CMAKE_SOURCE_DIR}/mail/MimeWriter.cpp
  ${CMAKE_SOURCE_DIR}/mail/OutgoingBuffer.cpp
  ${CMAKE_SOURCE_DIR}/mail/ProgressThrottle.cpp
  ${CMAKE_SOURCE_DIR}/mail/SendWatch.cpp
  ${CMAKE_SOURCE_DIR}/mail/SmtpConversation.cpp
  ${CMAKE_SOURCE_DIR}/mail/SmtpLogin.cpp
  ${CMAKE_SOURCE_DIR}/mail/SmtpReply.cpp
)
