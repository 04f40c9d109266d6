#!/usr/bin/python3
"""The page for a phone on loopback: first paint and first contentful paint of the page with the cache
off, and the time from pressing 登录 to the next bells on screen, in headless Chromium.

Usage: bench/web_first_paint.py build/bin/remote_web_page_server [runs]
(the server is built with the tests: cmake --build build --target remote_web_page_server)."""
import statistics
import subprocess
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as shown
from selenium.webdriver.support.ui import WebDriverWait

PASSWORD = "bench"


def main():
    server_path = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    server = subprocess.Popen([server_path, PASSWORD], stdout=subprocess.PIPE, text=True)
    try:
        port = int(server.stdout.readline().split()[1])
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=390,844"):
            options.add_argument(arg)
        browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        try:
            browser.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
            url = f"http://127.0.0.1:{port}/"
            paint, contentful = [], []
            for _ in range(runs):
                browser.get("about:blank")
                browser.get(url)
                WebDriverWait(browser, 10).until(shown.visibility_of_element_located((By.ID, "password")))
                entries = browser.execute_script(
                    "return Object.fromEntries(performance.getEntriesByType('paint')"
                    ".map(e => [e.name, e.startTime]))")
                paint.append(entries["first-paint"])
                contentful.append(entries["first-contentful-paint"])
            # One login (the password limit allows five a minute): press to the next bells shown.
            browser.find_element(By.ID, "password").send_keys(PASSWORD)
            start = time.monotonic()
            browser.find_element(By.ID, "login-button").click()
            WebDriverWait(browser, 10).until(shown.visibility_of_element_located((By.ID, "next")))
            login_ms = (time.monotonic() - start) * 1000
        finally:
            browser.quit()
    finally:
        server.terminate()
        server.wait(10)
    for name, values in (("first-paint", paint), ("first-contentful-paint", contentful)):
        print(f"{name}: median {statistics.median(values):.1f} ms, max {max(values):.1f} ms over {runs} loads")
    print(f"登录 to the next bells shown (password digest of 1000 rounds): {login_ms:.0f} ms")


if __name__ == "__main__":
    main()
