#!/usr/bin/python3
"""Drives the page for a phone in headless Chromium: log in, see the next bell, ring now, the emergency
with its confirmation, log out. Usage: browser_test.py SERVER SCREENSHOT. Exits 77 (skipped) only when
Chromium cannot start."""
import queue
import subprocess
import sys
import threading

PASSWORD = "铃声2026"


def main():
    server_path, screenshot = sys.argv[1], sys.argv[2]
    server = subprocess.Popen([server_path, PASSWORD], stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline().split()
        if len(line) != 2 or line[0] != "PORT":
            print("the page did not start:", line)
            return 1
        changes = queue.Queue()
        threading.Thread(target=lambda: [changes.put(l.strip()) for l in server.stdout], daemon=True).start()
        return drive(int(line[1]), changes, screenshot)
    finally:
        server.terminate()
        server.wait(10)


def start_chromium():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=390,844", "--lang=zh-CN", "--no-first-run"):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def drive(port, changes, screenshot):
    try:
        browser = start_chromium()
    except Exception as error:  # noqa: BLE001 - any failure to start is a skip, said plainly
        print("SKIP: Chromium cannot start here:", error)
        return 77
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as shown
    from selenium.webdriver.support.ui import WebDriverWait

    wait = WebDriverWait(browser, 15)
    by_id = lambda name: browser.find_element(By.ID, name)  # noqa: E731

    def change():
        return changes.get(timeout=15)

    def no_change():
        return changes.empty()

    try:
        browser.get(f"http://127.0.0.1:{port}/")
        wait.until(shown.visibility_of_element_located((By.ID, "password")))
        assert not by_id("panel").is_displayed(), "the panel shows before a login"

        by_id("password").send_keys("wrong")
        by_id("login-button").click()
        wait.until(shown.text_to_be_present_in_element((By.ID, "message"), "密码错误"))
        assert change() == "127.0.0.1 登录 failed"

        by_id("password").send_keys(PASSWORD)
        by_id("login-button").click()
        wait.until(shown.text_to_be_present_in_element((By.ID, "next"), "08:00:00 上课铃"))
        assert change() == "127.0.0.1 登录 ok"
        assert by_id("table").text == "Default.DTT"
        # The session cookie is out of the page's scripts' reach.
        assert browser.execute_script("return document.cookie") == ""

        by_id("ring").click()
        assert change() == "127.0.0.1 立即打铃 ok"
        wait.until(shown.text_to_be_present_in_element((By.ID, "message"), "已完成"))

        # The emergency asks first; 取消 changes nothing.
        by_id("emergency").click()
        wait.until(shown.visibility_of_element_located((By.ID, "confirm")))
        by_id("confirm-no").click()
        wait.until(shown.invisibility_of_element_located((By.ID, "confirm")))
        assert no_change(), "the emergency started without its confirmation"
        by_id("emergency").click()
        wait.until(shown.visibility_of_element_located((By.ID, "confirm")))
        browser.save_screenshot(screenshot.replace(".png", "-confirm.png"))
        by_id("confirm-yes").click()
        assert change() == "127.0.0.1 紧急广播 ok"
        wait.until(shown.visibility_of_element_located((By.ID, "emergency-on")))
        assert by_id("emergency-end").is_displayed()
        browser.save_screenshot(screenshot)

        by_id("logout").click()
        wait.until(shown.visibility_of_element_located((By.ID, "password")))
        assert change() == "127.0.0.1 退出登录 ok"
        status = browser.execute_script(
            "return fetch('/api/status', {credentials: 'same-origin'}).then(r => r.status)")
        assert status == 401, status
        print("browser test passed; screenshots at", screenshot)
        return 0
    finally:
        browser.quit()


if __name__ == "__main__":
    sys.exit(main())
