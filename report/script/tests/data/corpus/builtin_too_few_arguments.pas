function F: String;
begin
  Result := Copy('abc', 1);
end;
