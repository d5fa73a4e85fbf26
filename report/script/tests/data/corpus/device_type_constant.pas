function F: String;
begin
  Result := DTPRINTER + ' ' + dtTextFile;
end;
