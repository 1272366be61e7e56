; The setup program's own texts in English and the twelve interface languages (NSIS brings
; the texts of its pages). $0 in RIGHTS_FAILED is the path.

!macro OrvaneStrings LANG OCR SCANNER PROGRAM_TEXT OCR_TEXT SCANNER_TEXT ASK RIGHTS
  LangString SEC_OCR ${LANG_${LANG}} "${OCR}"
  LangString SEC_SCANNER ${LANG_${LANG}} "${SCANNER}"
  LangString DESC_PROGRAM ${LANG_${LANG}} "${PROGRAM_TEXT}"
  LangString DESC_OCR ${LANG_${LANG}} "${OCR_TEXT}"
  LangString DESC_SCANNER ${LANG_${LANG}} "${SCANNER_TEXT}"
  LangString UN_ASK ${LANG_${LANG}} "${ASK}"
  LangString RIGHTS_FAILED ${LANG_${LANG}} "${RIGHTS}"
!macroend

!insertmacro OrvaneStrings ENGLISH "OCR engine" "Virtual scanner" \
  "The front panel, its two libraries, the language libraries and the help." \
  "Recognises scanned text with Tesseract (installed separately)." \
  "A TWAIN data source for trying Orvane without a scanner." \
  "Also remove your settings (Quendel.ini) and the scanned documents in TEMP and DATA?" \
  "Standard users cannot write to $0."
!insertmacro OrvaneStrings TRADCHINESE "OCR 引擎" "虛擬掃描器" \
  "控制面板、兩個程式庫、語言程式庫和說明。" \
  "使用 Tesseract 辨識掃描的文字 (需另行安裝 Tesseract)。" \
  "在沒有掃描器時試用 Orvane 的 TWAIN 資料來源。" \
  "是否也移除您的設定 (Quendel.ini) 以及 TEMP 和 DATA 中掃描的文件?" \
  "標準使用者無法寫入 $0。"
!insertmacro OrvaneStrings GERMAN "OCR-Engine" "Virtueller Scanner" \
  "Das Bedienfeld, seine beiden Bibliotheken, die Sprachbibliotheken und die Hilfe." \
  "Erkennt gescannten Text mit Tesseract (separat zu installieren)." \
  "Eine TWAIN-Datenquelle, um Orvane ohne Scanner auszuprobieren." \
  "Auch Ihre Einstellungen (Quendel.ini) und die gescannten Dokumente in TEMP und DATA entfernen?" \
  "Standardbenutzer können nicht in $0 schreiben."
!insertmacro OrvaneStrings FRENCH "Moteur OCR" "Scanner virtuel" \
  "Le panneau de commande, ses deux bibliothèques, les bibliothèques de langue et l'aide." \
  "Reconnaît le texte numérisé avec Tesseract (à installer séparément)." \
  "Une source de données TWAIN pour essayer Orvane sans scanner." \
  "Supprimer aussi vos paramètres (Quendel.ini) et les documents numérisés dans TEMP et DATA ?" \
  "Les utilisateurs standard ne peuvent pas écrire dans $0."
!insertmacro OrvaneStrings ITALIAN "Motore OCR" "Scanner virtuale" \
  "Il pannello di controllo, le sue due librerie, le librerie di lingua e la guida." \
  "Riconosce il testo acquisito con Tesseract (da installare a parte)." \
  "Un'origine dati TWAIN per provare Orvane senza scanner." \
  "Rimuovere anche le impostazioni (Quendel.ini) e i documenti acquisiti in TEMP e DATA?" \
  "Gli utenti standard non possono scrivere in $0."
!insertmacro OrvaneStrings SPANISH "Motor OCR" "Escáner virtual" \
  "El panel de control, sus dos bibliotecas, las bibliotecas de idioma y la ayuda." \
  "Reconoce el texto escaneado con Tesseract (se instala por separado)." \
  "Un origen de datos TWAIN para probar Orvane sin escáner." \
  "¿Quitar también la configuración (Quendel.ini) y los documentos escaneados de TEMP y DATA?" \
  "Los usuarios estándar no pueden escribir en $0."
!insertmacro OrvaneStrings DUTCH "OCR-engine" "Virtuele scanner" \
  "Het bedieningspaneel, de twee bibliotheken, de taalbibliotheken en de Help." \
  "Herkent gescande tekst met Tesseract (apart te installeren)." \
  "Een TWAIN-gegevensbron om Orvane zonder scanner te proberen." \
  "Ook uw instellingen (Quendel.ini) en de gescande documenten in TEMP en DATA verwijderen?" \
  "Standaardgebruikers kunnen niet schrijven in $0."
!insertmacro OrvaneStrings JAPANESE "OCR エンジン" "仮想スキャナー" \
  "操作パネル、2 つのライブラリ、言語ライブラリ、ヘルプ。" \
  "スキャンした文字を Tesseract で認識します (Tesseract は別途インストール)。" \
  "スキャナーなしで Orvane を試すための TWAIN データ ソース。" \
  "設定 (Quendel.ini) と、TEMP および DATA のスキャンした文書も削除しますか?" \
  "標準ユーザーは $0 に書き込めません。"
!insertmacro OrvaneStrings SIMPCHINESE "OCR 引擎" "虚拟扫描仪" \
  "控制面板、两个库、语言库和帮助。" \
  "使用 Tesseract 识别扫描的文字 (需另行安装 Tesseract)。" \
  "用于在没有扫描仪时试用 Orvane 的 TWAIN 数据源。" \
  "是否同时删除您的设置 (Quendel.ini) 以及 TEMP 和 DATA 中扫描的文档?" \
  "标准用户无法写入 $0。"
!insertmacro OrvaneStrings KOREAN "OCR 엔진" "가상 스캐너" \
  "제어판, 두 라이브러리, 언어 라이브러리 및 도움말." \
  "스캔한 텍스트를 Tesseract로 인식합니다(Tesseract는 별도 설치)." \
  "스캐너 없이 Orvane을 사용해 보기 위한 TWAIN 데이터 원본." \
  "설정(Quendel.ini)과 TEMP 및 DATA의 스캔한 문서도 제거하시겠습니까?" \
  "표준 사용자는 $0에 쓸 수 없습니다."
!insertmacro OrvaneStrings PORTUGUESEBR "Mecanismo de OCR" "Scanner virtual" \
  "O painel de controle, suas duas bibliotecas, as bibliotecas de idioma e a ajuda." \
  "Reconhece o texto digitalizado com o Tesseract (instalado à parte)." \
  "Uma fonte de dados TWAIN para experimentar o Orvane sem scanner." \
  "Remover também suas configurações (Quendel.ini) e os documentos digitalizados em TEMP e DATA?" \
  "Usuários padrão não podem gravar em $0."
!insertmacro OrvaneStrings DANISH "OCR-program" "Virtuel scanner" \
  "Kontrolpanelet, dets to biblioteker, sprogbibliotekerne og Hjælp." \
  "Genkender scannet tekst med Tesseract (installeres separat)." \
  "En TWAIN-datakilde til at prøve Orvane uden scanner." \
  "Vil du også fjerne dine indstillinger (Quendel.ini) og de scannede dokumenter i TEMP og DATA?" \
  "Standardbrugere kan ikke skrive til $0."
!insertmacro OrvaneStrings SWEDISH "OCR-motor" "Virtuell skanner" \
  "Kontrollpanelen, dess två bibliotek, språkbiblioteken och hjälpen." \
  "Känner igen skannad text med Tesseract (installeras separat)." \
  "En TWAIN-datakälla för att prova Orvane utan skanner." \
  "Vill du även ta bort dina inställningar (Quendel.ini) och de skannade dokumenten i TEMP och DATA?" \
  "Standardanvändare kan inte skriva till $0."
