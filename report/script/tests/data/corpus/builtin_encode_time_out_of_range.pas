function F: DateTime;
begin
  Result := EncodeTime(24, 0, 0, 0);
end;
